#pragma once
// The one place every caught failure goes. The program keeps most failures quiet
// toward the user, as the browsing code must; a developer still sees each of
// them: without a hook installed, a report is one line on standard error when
// the environment variable QORVEL_DEBUG is set, and nothing otherwise.
//
// The window installs a hook that shows flUser reports in a message box and
// passes every report on to DefaultFailureReport.
//
// Threads. ReportFailure may be called from any thread; the hook runs on the
// caller's thread, so a hook that touches the interface must post to it.

#include <QString>

#include <exception>
#include <functional>

enum TFailureLevel {
    flQuiet, // kept from the user; seen by developers only
    flUser,  // the user is told (where a message is shown for it)
};

using TFailureHook = std::function<void(TFailureLevel level, const QString& where, const QString& what)>;

// Reports one failure. where names the operation ("ListDirectory", "Task run").
void ReportFailure(const char* where, const QString& what, TFailureLevel level = flQuiet);

// Reports the exception being handled; call only inside a catch block.
void ReportCurrentException(const char* where, TFailureLevel level = flQuiet);

// Installs hook (an empty one restores the default) and returns the previous hook.
TFailureHook SetFailureHook(TFailureHook hook);

// What happens to a report without a hook: one line on standard error when
// QORVEL_DEBUG is set.
void DefaultFailureReport(TFailureLevel level, const QString& where, const QString& what);
