#include "widgets/QV_WidgetTheme.h"

#include "controls/QV_SmartCtrl.h"
#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_Utils.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "theme/QV_SkinBuffer.h"

#include <exception>

namespace {

const QString ThemeFile = QStringLiteral("ControlTheme:\\");

}  // namespace

void LoadWidgetImages(TSkinBuffer& Skin, std::initializer_list<TWidgetImage> Images)
{
    for (const TWidgetImage& image : Images) {
        try {
            Skin.LoadThemeImage(QString::fromLatin1(image.Id), QString::fromLatin1(image.Section),
                                QString::fromLatin1(image.ImageName), QString::fromLatin1(image.File),
                                QString::fromLatin1(image.Default));
        } catch (const std::exception&) {
            ReportCurrentException("Widget theme image");
        }
    }
}

void LoadWidgetFont(TSkinBuffer& Skin, const char* Section, const char* FontId, const char* Default)
{
    try {
        Skin.LoadThemeFont(QString::fromLatin1(FontId), QString::fromLatin1(Section), QString::fromLatin1(FontId),
                           QString::fromLatin1(Default));
    } catch (const std::exception&) {
        ReportCurrentException("Widget theme font");
    }
}

void ApplyWorkArea(TSmartCtrl& Control, const char* Section)
{
    TWorkArea area;
    try {
        area = ReadWorkArea(ThemeFile, QString::fromLatin1(Section), QStringLiteral("Image(Background)"),
                            QStringLiteral("Left(0), Top(0), Right(0), Bottom(0)"));
    } catch (const std::exception&) {
        ReportCurrentException("Widget work area");
    }
    Control.SC_OFFSET_LEFT = area.Left;
    Control.SC_OFFSET_TOP = area.Top;
    Control.SC_OFFSET_RIGHT = area.Right;
    Control.SC_OFFSET_BOTTOM = area.Bottom;
}

int ReadThemeImageInt(const char* Section, const char* ImageName, const char* Name, int Default)
{
    try {
        TParamString params;
        params.LoadFromIni(ThemeFile, QString::fromLatin1(Section),
                           QStringLiteral("Image(") + QString::fromLatin1(ImageName) + QLatin1Char(')'), QString());
        return params.GetInt(QString::fromLatin1(Name), Default);
    } catch (const std::exception&) {
        ReportCurrentException("Widget theme number");
        return Default;
    }
}

TFont WidgetFont(const TSkinBuffer* Skin, const QString& Id, const char* Default)
{
    if (Skin)
        if (const TFont* font = Skin->Font(Id)) return *font;
    TFont font;
    try {
        ParseFontParams(font, TParamString{QString::fromLatin1(Default)});
    } catch (const std::exception&) {
        ReportCurrentException("Widget default font");
    }
    return font;
}

QString WidgetText(const char* Section, const char* Key, const char* Default)
{
    const QString def = QString::fromUtf8(Default);
    const TLocaleManager* locale = LocaleManager();
    return locale ? locale->GetLocalized(QString::fromLatin1(Section), QString::fromLatin1(Key), def) : def;
}
