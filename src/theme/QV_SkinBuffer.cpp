// The skin buffer's lists, image loading and fonts.

#include "theme/QV_SkinBuffer.h"

#include "foundation/QV_System.h"
#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_ImageFile.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

#include <algorithm>

namespace {

// Offsets only shift and widen a drawing; beyond a picture's largest side they
// could only overflow the coordinate arithmetic.
int ClampOffset(int offset) { return std::clamp(offset, -kMaxImageSide, kMaxImageSide); }

void TakeParams(TImageState& state, const TResizeParams& params)
{
    state.IMD_PARAMS = params;
    state.IMD_OFFSET_L = ClampOffset(params.OffsetLeft);
    state.IMD_OFFSET_T = ClampOffset(params.OffsetTop);
    state.IMD_OFFSET_R = ClampOffset(params.OffsetRight);
    state.IMD_OFFSET_B = ClampOffset(params.OffsetBottom);
}

QString LowerExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.mid(dot).toLower() : QString();
}

// A JPEG or BMP icon: at most 128 pixels a side, or the button theme's
// "unknown" picture when it cannot be read.
bool LoadIconPicture(TImageResult result, TBitmap32& picture)
{
    if (result.Ok()) {
        picture = result.Bitmap;
        if (picture.Width() > 128 || picture.Height() > 128) ResampleProportional(picture, 128, 128);
        return true;
    }
    TImageResult fallback = LoadPngFile(ResolvePath(QStringLiteral("ButtonsTheme:\\Unknown.png")));
    if (!fallback.Ok()) return false;
    picture = fallback.Bitmap;
    return true;
}

} // namespace

TSkinBuffer::TSkinBuffer()
    : SB_ID(QStringLiteral("SkinBuffer") + MakeID())
{
}

TSkinBuffer::~TSkinBuffer() = default;

TImageDataPtr TSkinBuffer::FindImage(const QString& id) const
{
    std::lock_guard lock(lock_);
    for (const TImageDataPtr& entry : SB_IMAGE_LIST)
        if (entry->SD_ID == id) return entry;
    return nullptr;
}

TImageDataPtr TSkinBuffer::ImageAt(int idx) const
{
    std::lock_guard lock(lock_);
    if (idx < 0 || idx >= int(SB_IMAGE_LIST.size())) return nullptr;
    return SB_IMAGE_LIST[size_t(idx)];
}

bool TSkinBuffer::GetImageData(int idx, TImageDataPtr& imageData) const
{
    imageData = ImageAt(idx);
    return imageData != nullptr;
}

bool TSkinBuffer::GetImageData(const QString& id, TImageDataPtr& imageData) const
{
    imageData = FindImage(id);
    return imageData != nullptr;
}

int TSkinBuffer::ImageCount() const
{
    std::lock_guard lock(lock_);
    return int(SB_IMAGE_LIST.size());
}

int TSkinBuffer::FindOrAppendImage(const QString& id, TImageDataPtr& entry)
{
    std::lock_guard lock(lock_);
    for (size_t i = 0; i < SB_IMAGE_LIST.size(); ++i) {
        if (SB_IMAGE_LIST[i]->SD_ID == id) {
            entry = SB_IMAGE_LIST[i];
            return int(i);
        }
    }
    entry = std::make_shared<TImageData>();
    entry->SD_ID = id;
    SB_IMAGE_LIST.push_back(entry);
    return int(SB_IMAGE_LIST.size()) - 1;
}

int TSkinBuffer::LoadImage(const QString& id, const QString& path, const TResizeParams& resizeParams)
{
    const QString fileName = ResolvePath(path);
    if (!PathExists(fileName, emFile)) return -1;
    TImageDataPtr entry;
    const int idx = FindOrAppendImage(id, entry);
    entry->IMD_LOADING = true;
    entry->WithState([&](TImageState& state) {
        TakeParams(state, resizeParams);
        ++entry->generation_;
    });

    // Decoding runs outside every lock; the finished picture is published at once.
    const QString extension = LowerExtension(fileName);
    TBitmap32 picture;
    bool loaded = false;
    QString error;
    if (extension == QLatin1String(".png")) {
        TImageResult result = LoadPngFile(fileName);
        loaded = result.Ok();
        if (loaded) picture = result.Bitmap;
        else error = result.Error;
    } else if (extension == QLatin1String(".jpg")) {
        loaded = LoadIconPicture(LoadJpegFile(fileName, 4, TJpegSpeed::jsFast), picture);
    } else if (extension == QLatin1String(".bmp")) {
        loaded = LoadIconPicture(LoadBmpFile(fileName), picture);
    } else {
        // An unknown kind keeps its entry loading, so it never draws.
        return idx;
    }

    const bool unscaledCopy = extension == QLatin1String(".png");
    entry->WithState([&](TImageState& state) {
        if (!loaded) return;
        if (unscaledCopy) state.IMD_Dest = picture;
        state.IMD_Source = std::move(picture);
        ++entry->generation_;
    });
    entry->IMD_LOADING = false;
    ContentChanged();
    if (!error.isEmpty()) throw EImageError(error);
    return idx;
}

int TSkinBuffer::LoadImage(const QString& id, TBitmap32 image, const TResizeParams& resizeParams)
{
    TImageDataPtr entry;
    const int idx = FindOrAppendImage(id, entry);
    entry->WithState([&](TImageState& state) {
        TakeParams(state, resizeParams);
        state.IMD_Dest = image;
        state.IMD_Source = std::move(image);
        ++entry->generation_;
    });
    ContentChanged();
    return idx;
}

void TSkinBuffer::DrawImage(const QString& id, TBitmap32& canvas, int x, int y, int width, int height)
{
    if (const TImageDataPtr entry = FindImage(id)) entry->DrawTo(canvas, x, y, width, height);
}

void TSkinBuffer::DrawImage(const QString& id, TBitmap32& canvas, const QRect& rect)
{
    DrawImage(id, canvas, rect.left(), rect.top(), rect.width(), rect.height());
}

void TSkinBuffer::DrawImage(int idx, TBitmap32& canvas, int x, int y, int width, int height)
{
    if (const TImageDataPtr entry = ImageAt(idx)) entry->DrawTo(canvas, x, y, width, height);
}

void TSkinBuffer::DrawImage(const QString& id, TBitmap32& canvas, int x, int y)
{
    if (const TImageDataPtr entry = FindImage(id)) entry->DrawTo(canvas, x, y);
}

void TSkinBuffer::ResetImageSize(int idx)
{
    if (const TImageDataPtr entry = ImageAt(idx)) entry->ResetSize();
}

void TSkinBuffer::ResetImageSize()
{
    std::vector<TImageDataPtr> entries;
    {
        std::lock_guard lock(lock_);
        entries = SB_IMAGE_LIST;
    }
    for (const TImageDataPtr& entry : entries) entry->ResetSize();
}

bool TSkinBuffer::CopyImageData(const TSkinBuffer& skinBuffer, const QString& dataId)
{
    const TImageDataPtr source = skinBuffer.FindImage(dataId);
    if (!source) return false;
    auto copy = std::make_shared<TImageData>();
    copy->SD_ID = dataId;
    copy->state_ = source->State();
    {
        std::lock_guard lock(lock_);
        SB_IMAGE_LIST.push_back(copy);
    }
    ContentChanged();
    return true;
}

void TSkinBuffer::ExchangeImage(const QString& id1, const QString& id2)
{
    std::lock_guard lock(lock_);
    auto find = [this](const QString& id) {
        return std::find_if(SB_IMAGE_LIST.begin(), SB_IMAGE_LIST.end(),
                            [&](const TImageDataPtr& entry) { return entry->SD_ID == id; });
    };
    const auto first = find(id1);
    const auto second = find(id2);
    if (first == SB_IMAGE_LIST.end() || second == SB_IMAGE_LIST.end()) return;
    std::swap((*first)->SD_ID, (*second)->SD_ID);
    ContentChanged();
}

int TSkinBuffer::RenditionCount() const
{
    std::lock_guard lock(lock_);
    int count = 0;
    for (const TImageDataPtr& entry : SB_IMAGE_LIST) count += entry->Renditions();
    return count;
}

int TSkinBuffer::LoadThemeImage(const QString& id, const QString& section, const QString& imageName,
                                const QString& file, const QString& def)
{
    const TResizeParams params = ReadResizeParams(QStringLiteral("ControlTheme:\\"), section,
                                                  QStringLiteral("Image(") + imageName + QLatin1Char(')'), def);
    const QString path = file.contains(QLatin1String(":\\")) ? file : QStringLiteral("ControlThemePath:\\") + file;
    return LoadImage(id, path, params);
}
