#include "FrameAssembler.h"

#include <algorithm>

#include "SimFrame.h"

void FrameAssembler::push(std::span<const std::uint8_t> bytes, std::int64_t nowUs) {
    if (bytes.empty()) return;
    if (!buffer_.empty() && nowUs - lastByteUs_ > kResyncGapUs) {
        skippedBytes_ += buffer_.size();
        buffer_.clear();
        aligned_ = true;
    }
    if (buffer_.empty()) aligned_ = true;
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    lastByteUs_ = nowUs;
}

std::optional<LinkFrame> FrameAssembler::next() {
    while (buffer_.size() >= kFrameSize) {
        LinkFrame frame;
        std::copy_n(buffer_.begin(), kFrameSize, frame.begin());
        if (isRequestByte(frame[0]) && unitFrameValid(frame)) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + kFrameSize);
            aligned_ = true;
            return frame;
        }
        // Only a frame that starts where one should start counts as a bad frame; the windows
        // tried while sliding over its remains are not frames at all.
        if (aligned_ && isRequestByte(frame[0])) {
            ++badFrames_;
            if (onBadFrame_) onBadFrame_(frame);
        }
        aligned_ = false;
        buffer_.pop_front();
        ++skippedBytes_;
    }
    return std::nullopt;
}

bool FrameAssembler::isRequestByte(std::uint8_t byte) {
    switch (byte) {
        case kPollCommand:
        case kProgramHeaderCommand:
        case kProgramParametersCommand:
        case kReadHeaderCommand:
        case kReadParametersCommand:
            return true;
        default:
            return false;
    }
}
