#include "BenchPort.h"

#include <algorithm>
#include <cstring>

namespace {

UnitFaults instantUnit() {
    UnitFaults faults;
    faults.lineTime = false;
    return faults;
}

}  // namespace

BenchPort::BenchPort() : unit_(instantUnit()), telemetry_{telemetryAt(3500)} {}

std::vector<LinkFrame> BenchPort::engineTelemetry(int count, int stepMs, std::int64_t startMs) {
    UnitSimulator unit(instantUnit());
    unit.advance(startMs);
    std::vector<LinkFrame> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        frames.push_back(unit.telemetryFrame());
        unit.advance(stepMs);
    }
    return frames;
}

LinkFrame BenchPort::telemetryAt(std::uint16_t rpm) {
    LinkFrame f{};
    f[0] = kTelemetryAnswer;
    f[1] = static_cast<std::uint8_t>(rpm & 0xFF);
    f[2] = static_cast<std::uint8_t>(rpm >> 8);
    f[3] = 0xE8;  // 13800 mV
    f[4] = 0x35;
    f[31] = 125;  // 25 degrees
    f[34] = 1;    // polarity right
    f[42] = 1;    // pick-up signal
    sealFrame(f);
    return f;
}

void BenchPort::setTelemetry(std::vector<LinkFrame> frames) {
    if (frames.empty()) return;
    telemetry_ = std::move(frames);
    nextTelemetry_ = 0;
}

bool BenchPort::open(const QString&) {
    open_ = true;
    waiting_ = 0;
    return true;
}

std::int64_t BenchPort::read(std::uint8_t* buffer, std::int64_t max) {
    if (!open_) return -1;
    const std::int64_t n = std::min(max, waiting_);
    std::memcpy(buffer, incoming_.data(), static_cast<std::size_t>(n));
    std::memmove(incoming_.data(), incoming_.data() + n, static_cast<std::size_t>(waiting_ - n));
    waiting_ -= n;
    return n;
}

std::int64_t BenchPort::write(const std::uint8_t* data, std::int64_t size) {
    if (!open_) return -1;
    if (size >= kFrameSize && data[0] == kPollCommand) {
        ++polls_;
        const LinkFrame& answer = telemetry_[nextTelemetry_];
        nextTelemetry_ = (nextTelemetry_ + 1) % telemetry_.size();
        append(answer.data(), kFrameSize);
        return size;
    }
    ++blockRequests_;
    unit_.receive(std::span<const std::uint8_t>(data, static_cast<std::size_t>(size)));
    const std::vector<std::uint8_t> out = unit_.takeOutput();
    append(out.data(), static_cast<std::int64_t>(out.size()));
    return size;
}

void BenchPort::append(const std::uint8_t* data, std::int64_t size) {
    // A full line loses what does not fit, as a driver queue would.
    const std::int64_t room = static_cast<std::int64_t>(incoming_.size()) - waiting_;
    const std::int64_t n = std::min(size, room);
    std::memcpy(incoming_.data() + waiting_, data, static_cast<std::size_t>(n));
    waiting_ += n;
}
