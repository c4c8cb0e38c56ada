#include "link/InterruptPipe.h"

#include <QtGlobal>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
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
#else
    return false;
#endif
}

int InterruptPipe::readEnd() { return g_fds[0]; }

bool InterruptPipe::pending() { return g_pending != 0; }

bool InterruptPipe::take() {
#ifdef Q_OS_UNIX
    if (g_fds[0] < 0) return false;
    g_pending = 0;
    char buffer[64];
    bool any = false;
    while (::read(g_fds[0], buffer, sizeof buffer) > 0) any = true;
    return any;
#else
    return false;
#endif
}
