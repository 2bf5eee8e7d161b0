#include "endsignals.h"

#include <QCoreApplication>

namespace {
bool g_ended = false;
}

bool endSignalled()
{
    return g_ended;
}

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_ends[2] = {-1, -1};

extern "C" void onEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_ends[0], &byte, 1);
    errno = saved;
}

} // namespace

void endOnSignals()
{
    if (g_ends[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_ends) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_ends[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char bytes[16];
        while (::read(g_ends[1], bytes, sizeof bytes) > 0) {
        }
        // Every event loop ends, a dialog's too: its question returns unanswered.
        g_ended = true;
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        // A signal the program was started to ignore (nohup) stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

#else

void endOnSignals()
{
}

#endif
