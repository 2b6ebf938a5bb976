#include "platform/desktop/QV_Signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

int WakeFd = -1;  // written from the signal handler: only async-signal-safe calls there
std::function<void()>& Handler()
{
    static std::function<void()> handler;
    return handler;
}

extern "C" void OnSignal(int)
{
    const int saved = errno;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(WakeFd, &one, sizeof one);
    errno = saved;
}

void Install(bool catching)
{
    struct sigaction action = {};
    action.sa_handler = catching ? OnSignal : SIG_DFL;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Signals) ::sigaction(signal, &action, nullptr);
}

}  // namespace

void OnTerminationRequest(std::function<void()> handler)
{
    if (WakeFd < 0) {
        WakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (WakeFd < 0) return;
        auto* notifier = new QSocketNotifier(WakeFd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(WakeFd, &count, sizeof count);
            if (Handler()) Handler()();
        });
    }
    Handler() = std::move(handler);
    Install(bool(Handler()));
}
