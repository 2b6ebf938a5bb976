#pragma once
// The user's preferences of the settings file's [Qorvel] section: one process-wide
// value per key, filled by LoadSettings on the main thread and read everywhere,
// worker threads included. Numbers and switches are atomics and texts are copied
// under a lock, so a reload while a worker reads is never a data race.

#include <QMutex>
#include <QString>

#include <atomic>

template <typename T>
class TSettingValue {
public:
    constexpr explicit TSettingValue(T initial) : value_(initial) {}
    // Copies take the value, so a whole set of settings can be kept and put back.
    TSettingValue(const TSettingValue& other) : value_(T(other)) {}
    TSettingValue& operator=(const TSettingValue& other) { return *this = T(other); }
    operator T() const { return value_.load(std::memory_order_relaxed); }
    TSettingValue& operator=(T v)
    {
        value_.store(v, std::memory_order_relaxed);
        return *this;
    }

private:
    std::atomic<T> value_;
};

class TSettingText {
public:
    explicit TSettingText(const char* initial) : value_(QString::fromUtf8(initial)) {}
    TSettingText(const TSettingText& other) : value_(QString(other)) {}
    TSettingText& operator=(const TSettingText& other) { return *this = QString(other); }
    operator QString() const
    {
        QMutexLocker lock(&lock_);
        return value_;
    }
    TSettingText& operator=(const QString& v)
    {
        QMutexLocker lock(&lock_);
        value_ = v;
        return *this;
    }

private:
    mutable QMutex lock_;
    QString value_;
};

using TSettingInt = TSettingValue<int>;
using TSettingBool = TSettingValue<bool>;

struct TBarSettings {
    TSettingBool ShowHint{true};
    TSettingInt ItemSize;
    TSettingInt ItemSpacing{10};
};

struct TQvSettings {
    struct {
        TSettingText ControlTheme{"Default"};
        TSettingText FilesTheme{"Default"};
        TSettingText ButtonTheme{"Default"};
    } Theming;
    struct {
        TSettingBool RestoreLastSession{true};
        TSettingBool RestorePosition{false};
        TSettingBool RestoreWH{false};
    } StartUp;
    struct {
        TSettingText NavSound{"/usr/share/sounds/freedesktop/stereo/audio-volume-change.oga"};
        TSettingBool PlayNavSound{true};
    } Media;
    struct {
        TSettingInt PosX{10};
        TSettingInt PosY{10};
        TSettingInt Width{900};
        TSettingInt Height{600};
        TSettingBool Maximized{false};
    } Window;
    struct {
        TSettingInt ClickDelay{250};
        TSettingInt ClickScroll{10};
        TSettingBool StickyScroll{true};
        TSettingInt WheelScroll{5};
    } Mouse;
    struct {
        TSettingBool HideHidden{true};
        TSettingBool HideSystem{true};
        TSettingBool HideFileExtension{false};
        TSettingBool ShowFoldersFirst{true};
        TSettingInt ItemWidth{150};
        TSettingInt ItemHeight{40};
        TSettingBool HideFloppy{true};
        TSettingBool HideFloppyA{true};
        TSettingBool HideFloppyB{true};
        // Off: Ctrl+click toggles an item and Shift+click selects the range from
        // the last clicked one, as on every desktop. On: only the middle button
        // toggles, as the program was first designed.
        TSettingBool StrictClicks{false};
        // What opening a program file does: "Ask" (anything unknown asks too),
        // "Run", or "Open" as a document.
        TSettingText Executables{"Ask"};
    } Browsing;
    struct {
        TSettingText Lang{"English"};
        TSettingInt TipDistance{10};
        TSettingBool FolderGroup{true};
    } General;
    TBarSettings QuickBar{TSettingBool{true}, TSettingInt{48}, TSettingInt{10}};
    TBarSettings ActionBar{TSettingBool{true}, TSettingInt{24}, TSettingInt{10}};
    TBarSettings PathBar{TSettingBool{true}, TSettingInt{24}, TSettingInt{10}};
    struct {
        TSettingBool PreviewSelected{true};
        TSettingBool MenuAutoShow{true};
    } SmartEdit;
    struct {
        TSettingInt Height{28};
        TSettingBool TabPreview{true};
        TSettingBool StickTabPreview{false};
        TSettingBool SmallTabsLeft{false};
        TSettingBool SmallTabsRight{false};
        TSettingBool SmallButtonsLeft{false};
        TSettingBool SmallButtonsRight{true};
        TSettingBool ShowAddTab{true};
        TSettingInt TabSpacing{2};
        TSettingInt ButtonSpacing{2};
        TSettingInt ButtonToTabSpacing{2};
        TSettingInt ButtonWidthMax{115};
        TSettingInt TabWidthMin{26};
        TSettingInt TabWidthMax{150};
        TSettingBool SaveRecent{true};
        TSettingInt MaxRecent{8};  // 0 .. MaxRecentLimit; 0 remembers none
    } SmartTabs;
    struct {
        TSettingInt PopUpOffset{0};
        TSettingInt ItemSize{23};
        TSettingInt ItemSpacing{5};
        TSettingInt MenuWidth{250};
    } SmartMenu;
};

// The most recent tabs remembered, whatever the settings file asks for.
inline constexpr int MaxRecentLimit = 100;

// The process-wide settings values.
TQvSettings& Settings();

// [Section] Ident of the settings file, or Default when absent. Never writes.
QString ReadSetting(const QString& section, const QString& ident, const QString& def);

// Fills every settings value from the settings file (defaults for what is absent)
// and sets the program folder and the names the path aliases expand to. A value
// that is not a valid number or switch takes its default instead of stopping the
// program's start.
void LoadSettings();

// Sets one Name(Value) entry of a [Qorvel] group in the settings file, and
// nothing else; writes nothing when the settings file does not exist.
void SaveSettingValue(const QString& group, const QString& name, const QString& value);

// What the window tells SaveWindowState.
struct TWindowState {
    bool Maximized = false;
    int Left = 0;
    int Top = 0;
    int ClientWidth = 0;
    int ClientHeight = 0;
};

// Writes the Window group at exit: always Maximized, the position only with
// RestorePosition and the size only with RestoreWH, both only when not maximized.
// Writes nothing when the settings file does not exist.
void SaveWindowState(const TWindowState& state);
