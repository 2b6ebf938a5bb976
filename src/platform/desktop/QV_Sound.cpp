#include "platform/desktop/QV_Sound.h"

#include "platform/QV_Threads.h"
#include "platform/fs/QV_FileNames.h"

#include <canberra.h>
#include <dlfcn.h>

#include <functional>
#include <mutex>

namespace {

// The sound library's three calls, from the library opened on first use.
struct TCanberra {
    int (*Create)(ca_context**) = nullptr;
    int (*ChangeProps)(ca_context*, ...) = nullptr;
    int (*Play)(ca_context*, uint32_t, ...) = nullptr;
};

// One context for the process: opening it connects to the sound server, which
// is too slow to repeat on every sound. Null where the library or the server is
// missing.
ca_context* SoundContext(TCanberra& calls)
{
    static ca_context* context = nullptr;
    static TCanberra loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        TCanberra found;
        found.Create = reinterpret_cast<decltype(found.Create)>(::dlsym(library, "ca_context_create"));
        found.ChangeProps = reinterpret_cast<decltype(found.ChangeProps)>(::dlsym(library, "ca_context_change_props"));
        found.Play = reinterpret_cast<decltype(found.Play)>(::dlsym(library, "ca_context_play"));
        ca_context* created = nullptr;
        if (!found.Create || !found.ChangeProps || !found.Play || found.Create(&created) != CA_SUCCESS) return;
        found.ChangeProps(created, CA_PROP_APPLICATION_NAME, "Qorvel", nullptr);
        loaded = found;
        context = created;
    });
    calls = loaded;
    return context;
}

// Loading the library and opening the context take tens of milliseconds,
// which neither a navigation nor a window that is still starting should wait
// for: the sound starts on a worker.
void PlayInBackground(std::function<void(const TCanberra&, ca_context*)> play, TThreadPriority priority)
{
    StartThread(
        [play = std::move(play)] {
            static std::mutex playing;
            TCanberra calls;
            ca_context* context = SoundContext(calls);
            if (!context) return;
            std::lock_guard<std::mutex> lock(playing);
            play(calls, context);
        },
        priority);
}

}  // namespace

void PlaySoundFileAsync(const QString& path)
{
    if (path.isEmpty()) return;
    PlayInBackground(
        [file = EncodeFileName(path)](const TCanberra& calls, ca_context* context) {
            calls.Play(context, 0, CA_PROP_MEDIA_FILENAME, file.constData(), nullptr);
        },
        tpIdle);
}

void PlayAlertSound()
{
    PlayInBackground(
        [](const TCanberra& calls, ca_context* context) {
            calls.Play(context, 0, CA_PROP_EVENT_ID, "bell-window-system", nullptr);
        },
        tpLower);
}
