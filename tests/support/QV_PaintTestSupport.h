#pragma once
// Helpers of the painting and theme tests: solid pictures and a program folder
// of the test's own for the path aliases.

#include "foundation/QV_System.h"
#include "platform/QV_Bitmap32.h"

#include <QString>

inline TBitmap32 Filled(int width, int height, TColor32 color)
{
    TBitmap32 b(width, height);
    b.Clear(color);
    return b;
}

// Points the aliases at another program folder (and theme names) while it lives.
class TAliasScope {
public:
    explicit TAliasScope(const QString& appPath)
        : saved_(AliasNames())
    {
        TAliasNames names = saved_;
        names.AppPath = appPath;
        SetAliasNames(names);
    }
    ~TAliasScope() { SetAliasNames(saved_); }
    TAliasScope(const TAliasScope&) = delete;
    TAliasScope& operator=(const TAliasScope&) = delete;

    void SetFilesTheme(const QString& name) { Change([&](TAliasNames& n) { n.FilesTheme = name; }); }
    void SetControlTheme(const QString& name) { Change([&](TAliasNames& n) { n.ControlTheme = name; }); }

private:
    template <class F>
    void Change(F&& change)
    {
        TAliasNames names = AliasNames();
        change(names);
        SetAliasNames(names);
    }
    TAliasNames saved_;
};
