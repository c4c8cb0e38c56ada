#include "link/UnitFinder.h"

#include <algorithm>

namespace {

LinkFrame pollFrame() {
    LinkFrame frame{};
    frame[0] = kPollCommand;
    sealFrame(frame);
    return frame;
}

}  // namespace

UnitFinder::UnitFinder(SerialLink& link, BackendFactory factory) : link_(link), factory_(std::move(factory)) {}

bool UnitFinder::start() {
    cancel();
    candidates_.clear();
    const PortMapping::Assignments all = link_.mapping().assign();
    for (int n = 1; n <= PortMapping::kPorts; ++n) {
        const PortMapping::Assignment& a = all[static_cast<std::size_t>(n - 1)];
        if (!a.present || a.openPath.isEmpty()) continue;
        QString name = a.device.path.isEmpty() ? a.openPath : a.device.path;
        if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
        candidates_.append(Candidate{n, a.openPath, name});
    }
    if (candidates_.isEmpty()) return false;
    link_.closePort();
    port_ = factory_();
    running_ = true;
    index_ = 0;
    opened_ = false;
    return true;
}

void UnitFinder::cancel() {
    if (!running_) return;
    running_ = false;
    if (port_) port_->close();
    port_.reset();
}

void UnitFinder::onTick() {
    if (!running_) return;
    if (!opened_) {
        // One device per tick: open it and send the poll, then give it its ticks to answer.
        const Candidate& c = candidates_[index_];
        if (onTrying) onTrying(c);
        if (!port_->open(c.openPath)) {
            next();
            return;
        }
        opened_ = true;
        waited_ = 0;
        const LinkFrame poll = pollFrame();
        if (port_->write(poll.data(), kFrameSize) > 0) port_->drain();
        return;
    }
    ++waited_;
    if (port_->bytesWaiting() >= kFrameSize) {
        const std::int64_t got = port_->read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
        // The same test the exchange makes: the first whole frame is the answer.
        if (got >= kFrameSize && buffer_[0] == kTelemetryAnswer &&
            checkByteValid(std::span<const std::uint8_t>(buffer_.data(), kFrameSize))) {
            const Candidate found = candidates_[index_];
            finish(&found);
            return;
        }
    }
    if (waited_ >= kAnswerTicks) next();
}

void UnitFinder::next() {
    port_->close();
    opened_ = false;
    if (++index_ >= candidates_.size()) finish(nullptr);
}

void UnitFinder::finish(const Candidate* found) {
    running_ = false;
    if (port_) port_->close();
    port_.reset();
    if (onFinished) onFinished(found);
}
