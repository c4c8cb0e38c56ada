#include "FakePort.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

FakePort::FakePort() : input_(kInputCapacity), writes_(kWriteCapacity) {}

void FakePort::feed(std::span<const std::uint8_t> bytes) {
    if (head_ == tail_) head_ = tail_ = 0;
    if (tail_ + bytes.size() > input_.size()) {
        std::memmove(input_.data(), input_.data() + head_, tail_ - head_);
        tail_ -= head_;
        head_ = 0;
    }
    if (tail_ + bytes.size() > input_.size()) throw std::length_error("FakePort input full");
    std::copy(bytes.begin(), bytes.end(), input_.begin() + static_cast<std::ptrdiff_t>(tail_));
    tail_ += bytes.size();
}

bool FakePort::open(const QString& device) {
    ++openCalls;
    lastDevice = device;
    if (failOpen) return false;
    open_ = true;
    unplugged_ = false;
    return true;
}

void FakePort::close() {
    if (!open_) return;
    ++closeCalls;
    open_ = false;
}

std::int64_t FakePort::bytesWaiting() {
    if (!open_ || unplugged_) return 0;
    return pending();
}

std::int64_t FakePort::read(std::uint8_t* buffer, std::int64_t max) {
    ++readCalls;
    lastReadRequest = max;
    if (!open_ || unplugged_ || failReads) return -1;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(max), tail_ - head_);
    std::memcpy(buffer, input_.data() + head_, n);
    head_ += n;
    return static_cast<std::int64_t>(n);
}

std::int64_t FakePort::write(const std::uint8_t* data, std::int64_t size) {
    if (!open_ || unplugged_) return -1;
    Write& w = writes_[static_cast<std::size_t>(writeCount_) % kWriteCapacity];
    w.bytes.fill(0);
    std::memcpy(w.bytes.data(), data, static_cast<std::size_t>(std::min<std::int64_t>(size, kFrameSize)));
    w.size = size;
    w.drained = false;
    w.tick = tick;
    ++writeCount_;
    if (onWrite) onWrite(w);
    return size;
}

void FakePort::drain() {
    if (!open_ || unplugged_ || writeCount_ == 0) return;
    writes_[static_cast<std::size_t>(writeCount_ - 1) % kWriteCapacity].drained = true;
}
