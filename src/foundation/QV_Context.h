#pragma once
// The process-wide services every layer reaches: the managers the view owns,
// the host of the holders, the view itself and the repaint request. The view
// fills the one context at start and empties it before its managers go; a test
// installs what it needs with one TQvContextScope, which puts everything back
// when it ends. The familiar accessors (CtrlManager(), DataCore(), RequestRepaint() ...) read from here.
//
// Threads. The pointers are atomics: workers read them (IconManager(),
// LocaleManager(), RequestRepaint()), the main thread writes them. The repaint
// handler runs under a lock, so it is never called after it was replaced.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class TCtrlManager;
class TIconManager;
class TLocaleManager;
class TDataCore;
class THolderHost;
class TQorView;
struct TQvSettings;

// What one context holds, as plain values: what a scope installs.
struct TQvServices {
    TCtrlManager* CtrlManager = nullptr;
    TIconManager* IconManager = nullptr;
    TLocaleManager* LocaleManager = nullptr;
    TDataCore* DataCore = nullptr;
    THolderHost* HolderHost = nullptr;
    TQorView* View = nullptr;
    // Marks the window for a repaint; any thread. Empty: requests do nothing.
    std::function<void()> Repaint;
};

class TQvContext {
public:
    std::atomic<TCtrlManager*> CtrlManager{nullptr};
    std::atomic<TIconManager*> IconManager{nullptr};
    std::atomic<TLocaleManager*> LocaleManager{nullptr};
    std::atomic<TDataCore*> DataCore{nullptr};
    std::atomic<THolderHost*> HolderHost{nullptr};
    std::atomic<TQorView*> View{nullptr};

    void SetRepaint(std::function<void()> handler);
    // Calls the repaint handler, if any, under its lock.
    void Repaint();

    TQvServices Snapshot() const;
    void Install(const TQvServices& services);

private:
    mutable std::mutex repaintLock_;
    std::function<void()> repaint_;
};

TQvContext& QvContext();

// Installs services (nothing, by default) and the settings values as they
// are, and puts the previous services and settings values back when it goes.
// Tests only; not nested across threads.
class TQvContextScope {
public:
    explicit TQvContextScope(const TQvServices& services = {});
    ~TQvContextScope();
    TQvContextScope(const TQvContextScope&) = delete;
    TQvContextScope& operator=(const TQvContextScope&) = delete;

private:
    TQvServices saved_;
    std::unique_ptr<TQvSettings> savedSettings_;
};
