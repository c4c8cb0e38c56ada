#pragma once

#include <QList>
#include <QSet>
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "FakePort.h"
#include "model/ParameterImage.h"

// Plays the unit behind the window tests' FakePort: every whole request written since the
// last call is answered at once (read by the window on its next tick), except the command
// bytes in `mute`. Programming stores the block it echoes; polls get no answer.
class FakeUnit {
public:
    static constexpr std::size_t kFrame = 52;
    using Frame = std::array<std::uint8_t, kFrame>;

    explicit FakeUnit(FakePort& port) : port_(port) {}

    std::uint8_t imageVersion = 41;
    QSet<int> mute;
    ImageBlock stored{};
    ImageBlock header{};    // the answer to 0x00 and 0x40, but for the two bytes below
    QList<Frame> requests;  // every block request taken in, in order

    // What was written before this unit came on the line stays unanswered.
    void ignoreWritten() { seen_ = port_.written.size() - port_.written.size() % kFrame; }

    void answer() {
        for (; port_.written.size() >= seen_ + kFrame; seen_ += kFrame) {
            Frame request{};
            std::copy_n(port_.written.begin() + static_cast<std::ptrdiff_t>(seen_), kFrame, request.begin());
            const std::uint8_t command = request[0];
            if (command == 0x30) {
                continue;
            }
            requests.append(request);
            if (mute.contains(command)) {
                continue;
            }
            ImageBlock payload{};
            if (command == 0x00 || command == 0x40) {
                payload = header;
                payload[9] = 1;  // reading allowed
                payload[10] = imageVersion;
            } else if (command == 0x01) {
                std::copy_n(request.begin() + 1, kBlockSize, stored.begin());
                payload = stored;
            } else if (command == 0x41) {
                payload = stored;
            } else {
                continue;
            }
            port_.feed(frame(static_cast<std::uint8_t>(command | 0x80), payload));
        }
    }

    // Block requests seen from index `from` on, as their command bytes.
    QList<int> commandsFrom(qsizetype from) const {
        QList<int> out;
        for (qsizetype i = from; i < requests.size(); ++i) {
            out.append(requests[i][0]);
        }
        return out;
    }

    static std::vector<std::uint8_t> frame(std::uint8_t first, const ImageBlock& payload) {
        std::vector<std::uint8_t> f(kFrame, 0);
        f[0] = first;
        std::copy(payload.begin(), payload.end(), f.begin() + 1);
        std::uint8_t check = 0xFF;
        for (std::size_t i = 0; i + 1 < kFrame; ++i) {
            check ^= f[i];
        }
        f[kFrame - 1] = check;
        return f;
    }

private:
    FakePort& port_;
    std::size_t seen_ = 0;
};
