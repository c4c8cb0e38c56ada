#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxWaitMs = 100;  // also bounds how late a stop request is noticed
constexpr int kRetryMs = 20;

std::string errorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void pause(int ms) { ::poll(nullptr, 0, ms); }

}  // namespace

PtyServer::PtyServer(UnitSimulator& unit) : unit_(unit), start_(std::chrono::steady_clock::now()) {}

PtyServer::~PtyServer() {
    removeLink();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyServer::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = errorText("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = errorText("grantpt/unlockpt");
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = errorText("ptsname");
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = errorText(name);
        return false;
    }
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        error = errorText("tcgetattr");
        return false;
    }
    // Raw, or the line discipline would echo our answers back to us and mangle bytes.
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        error = errorText("tcsetattr");
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    start_ = std::chrono::steady_clock::now();
    return true;
}

bool PtyServer::makeLink(const std::string& path, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = path + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
        error = errorText(path.c_str());
        return false;
    }
    linkPath_ = path;
    return true;
}

void PtyServer::removeLink() {
    if (linkPath_.empty()) return;
    std::array<char, 4096> target{};
    const ssize_t n = ::readlink(linkPath_.c_str(), target.data(), target.size() - 1);
    if (n > 0 && std::string(target.data(), static_cast<std::size_t>(n)) == slavePath_) ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

std::int64_t PtyServer::elapsedUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
}

void PtyServer::flushOutput() {
    while (!transmit_.empty()) {
        const ssize_t n = ::write(master_, transmit_.data(), transmit_.size());
        if (n > 0) {
            transmit_.erase(transmit_.begin(), transmit_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // EAGAIN: the slave's input queue is full, try again when the master is writable.
        // EIO: nobody holds the slave side; keep the bytes, as a real line would not lose them either.
        return;
    }
}

void PtyServer::setControl(int fd, ControlHandler handler) {
    control_ = fd;
    onControl_ = std::move(handler);
}

bool PtyServer::takeInput() {
    std::array<std::uint8_t, 4096> buffer{};
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(master_, buffer.data(), buffer.size());
        if (n > 0) {
            const std::int64_t now = elapsedUs();
            unit_.advanceTo(now);
            unit_.receive(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
            lastInputUs_ = now;
            abandoned_ = false;
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) pause(kRetryMs);  // EIO while the slave side is between owners
        return any;
    }
}

bool PtyServer::serveControl() {
    std::array<char, 1024> buffer{};
    const ssize_t n = ::read(control_, buffer.data(), buffer.size());
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;  // whoever controlled us is gone
    controlLine_.append(buffer.data(), static_cast<std::size_t>(n));
    for (std::size_t end; (end = controlLine_.find('\n')) != std::string::npos;) {
        std::string line = controlLine_.substr(0, end);
        controlLine_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        takeInput();
        if (!onControl_(line)) return false;
    }
    return true;
}

int PtyServer::run(const volatile std::sig_atomic_t& stop) {
    const std::int64_t abandonedUs = std::chrono::duration_cast<std::chrono::microseconds>(kAbandonedAfter).count();
    lastInputUs_ = 0;
    abandoned_ = false;
    while (!stop) {
        const std::int64_t now = elapsedUs();
        unit_.advanceTo(now);
        const std::vector<std::uint8_t> out = unit_.takeOutput();
        transmit_.insert(transmit_.end(), out.begin(), out.end());
        flushOutput();

        if (!abandoned_ && now - lastInputUs_ > abandonedUs) {
            abandoned_ = true;
            ::tcflush(slave_, TCIFLUSH);
        }
        // A pseudo-terminal keeps its exclusive mode after the tool that set it has closed
        // (the pair lives as long as we do), which would lock an ordinary user out of the
        // next open. Tools keep each other out with their own lock, so we lift it each time.
        ::ioctl(slave_, TIOCNXCL);

        int waitMs = kMaxWaitMs;
        if (const auto due = unit_.nextDueUs()) {
            const std::int64_t untilDue = std::max<std::int64_t>(0, (*due - now + 999) / 1000);
            waitMs = static_cast<int>(std::min<std::int64_t>(waitMs, untilDue));
        }
        std::array<pollfd, 2> fds{};
        fds[0] = pollfd{master_, static_cast<short>(POLLIN | (transmit_.empty() ? 0 : POLLOUT)), 0};
        fds[1] = pollfd{control_, POLLIN, 0};
        const nfds_t count = control_ >= 0 ? 2 : 1;
        const int ready = ::poll(fds.data(), count, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (ready == 0) continue;
        const short revents = fds[0].revents;
        if (revents & POLLIN)
            takeInput();
        else if (revents & (POLLHUP | POLLERR))
            pause(kRetryMs);
        if (revents & POLLNVAL) return 1;
        if (count > 1 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && !serveControl()) return 0;
        if (count > 1 && (fds[1].revents & POLLNVAL)) return 1;
    }
    return 0;
}
