#include "LineRoundTrip.h"

#include <time.h>

#include <algorithm>
#include <vector>

#include "ProcessStats.h"
#include "link/LinkFrame.h"
#include "link/PosixPortBackend.h"

namespace {
constexpr int kRoundTrips = 8;
constexpr std::int64_t kAnswerBoundUs = 1'000'000;
}  // namespace

void sleepUs(std::int64_t us) {
    timespec ts{static_cast<time_t>(us / 1'000'000), static_cast<long>((us % 1'000'000) * 1000)};
    nanosleep(&ts, nullptr);
}

std::int64_t measureRoundTripUs(const QString& device) {
    PosixPortBackend port;
    if (!port.open(device)) return -1;
    LinkFrame poll{};
    poll[0] = kPollCommand;
    sealFrame(poll);
    std::vector<std::int64_t> trips;
    std::uint8_t buffer[4096];
    for (int i = 0; i < kRoundTrips; ++i) {
        sleepUs(30'000);
        port.read(buffer, sizeof buffer);  // nothing should be left, but start clean
        const std::int64_t start = ProcessStats::monotonicUs();
        port.write(poll.data(), kFrameSize);
        port.drain();
        std::int64_t now = start;
        while (port.bytesWaiting() < kFrameSize && now - start < kAnswerBoundUs) {
            sleepUs(50);
            now = ProcessStats::monotonicUs();
        }
        if (port.bytesWaiting() < kFrameSize) return -1;
        const std::int64_t got = port.read(buffer, kFrameSize);
        if (got != kFrameSize || buffer[0] != kTelemetryAnswer ||
            !checkByteValid(std::span<const std::uint8_t>(buffer, kFrameSize)))
            return -1;
        trips.push_back(now - start);
    }
    port.close();
    std::sort(trips.begin(), trips.end());
    return trips[trips.size() / 2];
}
