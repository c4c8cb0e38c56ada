#include "ScriptPort.h"

#include <algorithm>
#include <cstring>

void ScriptPort::feed(std::span<const std::uint8_t> bytes) {
    // A driver queue has a bound; what does not fit is lost, as on an overrun.
    const std::size_t room = kCapacity - std::min(kCapacity, queue_.size());
    const std::size_t n = std::min(room, bytes.size());
    queue_.insert(queue_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

bool ScriptPort::open(const QString&) {
    if (unplugged) return false;
    open_ = true;
    return true;
}

std::int64_t ScriptPort::bytesWaiting() {
    if (!open_ || unplugged) return 0;
    return static_cast<std::int64_t>(queue_.size());
}

std::int64_t ScriptPort::read(std::uint8_t* buffer, std::int64_t max) {
    if (!open_ || unplugged) return -1;
    if (failNextRead) {
        failNextRead = false;
        return -1;
    }
    auto n = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::int64_t>(max, 0)), queue_.size());
    if (shortNextRead) {
        shortNextRead = false;
        n /= 2;
    }
    std::memcpy(buffer, queue_.data(), n);
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    Read r;
    std::memcpy(r.head.data(), buffer, std::min<std::size_t>(n, kFrameSize));
    r.size = static_cast<std::int64_t>(n);
    if (exchange) {
        r.mode = exchange->mode();
        r.command = exchange->commandByte();
        r.attempt = exchange->attempt();
    }
    reads.push_back(r);
    return r.size;
}

std::int64_t ScriptPort::write(const std::uint8_t* data, std::int64_t size) {
    if (!open_ || unplugged) return -1;
    Write w;
    std::memcpy(w.bytes.data(), data, static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kFrameSize)));
    w.size = size;
    if (exchange) {
        w.mode = exchange->mode();
        w.command = exchange->commandByte();
    }
    writes.push_back(w);
    if (onWrite) onWrite(writes.back());
    return size;
}
