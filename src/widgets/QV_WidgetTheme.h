#pragma once
// What every widget of this folder does to load its look from the control
// theme file: images into its own skin buffer, fonts with their defaults, the
// work-area insets of its background, and its localized texts. A damaged
// theme entry costs its picture or falls back to the default, never the start.

#include "platform/desktop/QV_Font.h"

#include <QString>

#include <initializer_list>

class TSkinBuffer;
class TSmartCtrl;

struct TWidgetImage {
    const char* Id;
    const char* Section;
    const char* ImageName;  // inside "Image(...)"
    const char* File;       // below the theme folder
    const char* Default;    // the entry's value when the key is missing
};

void LoadWidgetImages(TSkinBuffer& Skin, std::initializer_list<TWidgetImage> Images);
// The font "Font(FontId)" of the section under the identifier FontId.
void LoadWidgetFont(TSkinBuffer& Skin, const char* Section, const char* FontId, const char* Default);
// SC_OFFSET_* from the "WorkArea" of the section's "Image(Background)".
void ApplyWorkArea(TSmartCtrl& Control, const char* Section);
// An integer inside the image entry's value ("Width(22)"), Default when the
// entry or the number is missing or malformed.
int ReadThemeImageInt(const char* Section, const char* ImageName, const char* Name, int Default);
// The skin's font, else a fresh one parsed from Default.
TFont WidgetFont(const TSkinBuffer* Skin, const QString& Id, const char* Default);
// The language file's text, Default without a locale manager.
QString WidgetText(const char* Section, const char* Key, const char* Default);
