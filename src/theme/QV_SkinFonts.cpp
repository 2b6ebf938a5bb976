// The skin buffer's fonts. Only the interface thread loads and changes them; the
// list still shares the buffer's lock because images may be appended by workers
// at the same time.

#include "theme/QV_SkinBuffer.h"

bool TSkinBuffer::GetFontData(int idx, TFontDataPtr& fontData) const
{
    std::lock_guard lock(lock_);
    fontData = idx >= 0 && idx < int(SB_FONT_LIST.size()) ? SB_FONT_LIST[size_t(idx)] : nullptr;
    return fontData != nullptr;
}

bool TSkinBuffer::GetFontData(const QString& id, TFontDataPtr& fontData) const
{
    std::lock_guard lock(lock_);
    fontData = nullptr;
    for (const TFontDataPtr& entry : SB_FONT_LIST) {
        if (entry->SD_ID == id) {
            fontData = entry;
            break;
        }
    }
    return fontData != nullptr;
}

TFont* TSkinBuffer::AppendFont(const QString& id)
{
    auto entry = std::make_shared<TFontData>();
    entry->SD_ID = id;
    {
        std::lock_guard lock(lock_);
        SB_FONT_LIST.push_back(entry);
    }
    ContentChanged();
    return &entry->FD_FONT;
}

TFont* TSkinBuffer::LoadFont(const QString& id) { return AppendFont(id); }

TFont* TSkinBuffer::LoadFont(const QString& id, const TParamString& params)
{
    TFont* font = AppendFont(id);
    ParseFontParams(*font, params);
    return font;
}

TFont* TSkinBuffer::LoadFont(const QString& id, const QString& paramsPath, const QString& fontSection,
                             const QString& fontId, const QString& def)
{
    TFont* font = AppendFont(id);
    ReadFontFromIni(*font, paramsPath, fontSection, fontId, def);
    return font;
}

TFont* TSkinBuffer::LoadThemeFont(const QString& id, const QString& section, const QString& fontId,
                                  const QString& def)
{
    return LoadFont(id, QStringLiteral("ControlTheme:\\"), section, fontId, def);
}

TFont* TSkinBuffer::Font(const QString& id) const
{
    TFontDataPtr entry;
    return GetFontData(id, entry) ? &entry->FD_FONT : nullptr;
}

TFont* TSkinBuffer::Font(int idx) const
{
    TFontDataPtr entry;
    return GetFontData(idx, entry) ? &entry->FD_FONT : nullptr;
}

bool TSkinBuffer::AssignFont(const QString& id, TBitmap32& bitmap) const
{
    const TFont* font = Font(id);
    if (!font) return false;
    bitmap.Font = *font;
    return true;
}

bool TSkinBuffer::CopyFontData(const TSkinBuffer& skinBuffer, const QString& dataId)
{
    const TFont* font = skinBuffer.Font(dataId);
    if (!font) return false;
    const TFont copy = *font;
    *AppendFont(dataId) = copy;
    ContentChanged();
    return true;
}
