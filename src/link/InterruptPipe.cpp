#include "link/InterruptPipe.h"

#include <QtGlobal>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>

#include <atomic>
#endif

namespace {
int g_fds[2] = {-1, -1};
volatile std::sig_atomic_t g_pending = 0;

#ifdef Q_OS_UNIX
void onSignal(int) {
    g_pending = 1;
    const char byte = 1;
    // Nothing else is safe here; a full pipe already holds the news.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[1], &byte, 1);
}
#endif

#ifdef Q_OS_WIN
// The console calls this on a thread of its own; the program looks at the flag on its
// tick (pending) and closes the port from there.
std::atomic<bool> g_winPending{false};
std::atomic<bool> g_winInstalled{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            g_winPending = true;
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns: give the next tick the time to let the
            // port go.
            g_winPending = true;
            for (int i = 0; i < 20 && g_winPending; ++i) ::Sleep(25);
            return FALSE;
        default:
            return FALSE;
    }
}
#endif
}  // namespace

bool InterruptPipe::install() {
#ifdef Q_OS_UNIX
    if (g_fds[0] >= 0) return true;
    if (::pipe2(g_fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    return true;
#elif defined(Q_OS_WIN)
    if (g_winInstalled) return true;
    g_winInstalled = ::SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
    return g_winInstalled;
#else
    return false;
#endif
}

int InterruptPipe::readEnd() { return g_fds[0]; }

bool InterruptPipe::pending() {
#ifdef Q_OS_WIN
    return g_winPending;
#else
    return g_pending != 0;
#endif
}

bool InterruptPipe::take() {
#ifdef Q_OS_UNIX
    if (g_fds[0] < 0) return false;
    g_pending = 0;
    char buffer[64];
    bool any = false;
    while (::read(g_fds[0], buffer, sizeof buffer) > 0) any = true;
    return any;
#elif defined(Q_OS_WIN)
    return g_winPending.exchange(false);
#else
    return false;
#endif
}
