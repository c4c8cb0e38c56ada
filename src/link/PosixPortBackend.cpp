#include "link/PosixPortBackend.h"

#ifdef Q_OS_UNIX

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <cerrno>

namespace {

// The errors of a device that has gone: a USB adapter pulled out, a pseudo-terminal whose
// other side has closed. The kernel hangs the terminal up and every later call fails.
bool deviceGone(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

}  // namespace

PosixPortBackend::~PosixPortBackend() { close(); }

bool PosixPortBackend::open(const QString& device) {
    close();
    openError_ = 0;
    const QByteArray path = QFile::encodeName(device);
    // Non-blocking so that the open does not wait for carrier and a write can be bounded.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        return false;
    }

    bool exclusive = false;  // only a flag we set ourselves is ours to clear
    auto fail = [this, fd, &exclusive](int error) {
        openError_ = error;
        if (exclusive) ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    };
    if (!::isatty(fd)) return fail(ENOTTY);
    // Exclusive: flock keeps out every cooperating program (root included), TIOCEXCL keeps
    // out any other open by an ordinary user. A lock held elsewhere means busy.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    exclusive = ::ioctl(fd, TIOCEXCL) == 0;

    termios t{};
    if (::tcgetattr(fd, &t) != 0) return fail(errno);
    const termios saved = t;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads ask only for bytes already waiting; the 100 ms read timeout is kept all the same.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
    if (::cfsetispeed(&t, B57600) != 0 || ::cfsetospeed(&t, B57600) != 0) return fail(errno);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return fail(errno);

    // Pseudo-terminals and some adapters have no modem lines and refuse this; the port
    // works all the same.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    // Start clean, as a freshly opened port does: nothing left over from an earlier session.
    ::tcflush(fd, TCIFLUSH);

    saved_ = saved;
    fd_ = fd;
    return true;
}

void PosixPortBackend::close() {
    if (fd_ < 0) return;
    // The device may be gone already; putting the old settings back then fails harmlessly.
    ::tcsetattr(fd_, TCSANOW, &saved_);
    // The exclusive flag outlives the descriptor on some devices (pseudo-terminals): clear it,
    // or an ordinary user could not open the port again. It is ours: an open port set it.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

std::int64_t PosixPortBackend::bytesWaiting() {
    if (fd_ < 0) return 0;
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        if (deviceGone(errno)) releaseDeadDevice();
        return 0;
    }
    return waiting < 0 ? 0 : waiting;
}

std::int64_t PosixPortBackend::read(std::uint8_t* buffer, std::int64_t max) {
    if (fd_ < 0 || max <= 0) return fd_ < 0 ? -1 : 0;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, static_cast<std::size_t>(max));
        if (got >= 0) return got;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (deviceGone(errno)) releaseDeadDevice();
        return -1;
    }
}

std::int64_t PosixPortBackend::write(const std::uint8_t* data, std::int64_t size) {
    if (fd_ < 0) return -1;
    std::int64_t written = 0;
    writeClock_.start();
    while (written < size) {
        const ssize_t put = ::write(fd_, data + written, static_cast<std::size_t>(size - written));
        if (put > 0) {
            written += put;
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (deviceGone(errno)) releaseDeadDevice();
            break;
        }
        const qint64 left = kWriteBoundMs - writeClock_.elapsed();
        if (left <= 0) break;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) break;
        if (p.revents & POLLHUP) {
            releaseDeadDevice();
            break;
        }
        if (p.revents & (POLLERR | POLLNVAL)) break;
    }
    // Part of the frame is queued and the rest never will be: take the part back.
    if (fd_ >= 0 && written > 0 && written < size) ::tcflush(fd_, TCOFLUSH);
    return written > 0 ? written : -1;
}

void PosixPortBackend::drain() {
    if (fd_ < 0) return;
    // tcdrain cannot be bounded: a wedged adapter would hold the window forever. Watch the
    // output queue instead, within what the write left of the bound.
    if (!writeClock_.isValid()) writeClock_.start();
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            if (deviceGone(errno)) releaseDeadDevice();
            return;
        }
        if (queued <= 0) return;
        if (writeClock_.elapsed() >= kWriteBoundMs) {
            ::tcflush(fd_, TCOFLUSH);
            return;
        }
        // A frame takes about 9 ms on the line; look again each millisecond.
        ::poll(nullptr, 0, 1);
    }
}

void PosixPortBackend::releaseDeadDevice() {
    // Holding the descriptor of a vanished device keeps its name taken: a USB adapter
    // plugged in again would come back under another one. Let it go; the port stays closed
    // until the operator chooses it again.
    close();
}

#endif
