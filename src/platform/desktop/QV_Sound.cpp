#include "platform/desktop/QV_Sound.h"

#include "platform/fs/QV_FileNames.h"

#include <canberra.h>

#include <mutex>

namespace {

// One context for the process: opening it connects to the sound server, which
// is too slow to repeat on every navigation.
ca_context* SoundContext()
{
    static ca_context* context = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        ca_context* created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS) return;
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Qorvel", nullptr);
        context = created;
    });
    return context;
}

std::mutex& PlayMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace

void PlaySoundFileAsync(const QString& path)
{
    if (path.isEmpty()) return;
    ca_context* context = SoundContext();
    if (!context) return;
    const QByteArray file = EncodeFileName(path);
    std::lock_guard<std::mutex> lock(PlayMutex());
    ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME, file.constData(), nullptr);
}

void PlayAlertSound()
{
    ca_context* context = SoundContext();
    if (!context) return;
    std::lock_guard<std::mutex> lock(PlayMutex());
    ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell-window-system", nullptr);
}
