#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>

#include "link/LinkFrame.h"

// Cuts whole request frames out of a received byte stream that may arrive in any chunks.
// A frame starts with one of the five request bytes and has a right check byte. Anything
// else is skipped one byte at a time until the stream lines up again; and after a pause
// in the stream the unfinished bytes held so far are dropped, because a new request starts
// with the first byte after a pause.
class FrameAssembler {
public:
    // Longer than the line time of a frame, shorter than the tool's shortest gap between
    // two requests (one timer tick).
    static constexpr std::int64_t kResyncGapUs = 20'000;

    // Appends bytes received at the given time (microseconds).
    void push(std::span<const std::uint8_t> bytes, std::int64_t nowUs);
    // The next whole frame, if one has been received.
    std::optional<LinkFrame> next();

    static bool isRequestByte(std::uint8_t byte);

    // Bytes held that do not yet make a frame.
    std::size_t pending() const { return buffer_.size(); }
    // Frames that started with a request byte at a frame boundary but had a wrong check byte.
    std::uint64_t badFrames() const { return badFrames_; }
    // Bytes skipped or dropped while looking for a frame.
    std::uint64_t skippedBytes() const { return skippedBytes_; }
    // Called with each frame that had a wrong check byte (for the log).
    void setBadFrameHandler(std::function<void(const LinkFrame&)> handler) { onBadFrame_ = std::move(handler); }

private:
    std::deque<std::uint8_t> buffer_;
    std::int64_t lastByteUs_ = 0;
    bool aligned_ = true;  // the buffer starts where a frame should start
    std::uint64_t badFrames_ = 0;
    std::uint64_t skippedBytes_ = 0;
    std::function<void(const LinkFrame&)> onBadFrame_;
};
