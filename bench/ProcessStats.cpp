#include "ProcessStats.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::int64_t statusField(const char* name) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    std::int64_t value = -1;
    const std::size_t n = std::strlen(name);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, name, n) == 0 && line[n] == ':') {
            value = std::strtoll(line + n + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

std::int64_t clockUs(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

}  // namespace

std::int64_t ProcessStats::peakResidentKb() { return statusField("VmHWM"); }

std::int64_t ProcessStats::residentKb() { return statusField("VmRSS"); }

std::int64_t ProcessStats::sinceStartUs() {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char text[1024];
    const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    // The command name in parentheses may hold blanks; the fields count from its end.
    const char* p = std::strrchr(text, ')');
    if (!p) return -1;
    // Field 3 (state) follows; start time is field 22.
    for (int field = 2; field < 22 && p; ++field) p = std::strchr(p + 1, ' ');
    if (!p) return -1;
    const long long startTicks = std::strtoll(p + 1, nullptr, 10);
    const long hz = sysconf(_SC_CLK_TCK);
    if (hz <= 0) return -1;
    return clockUs(CLOCK_BOOTTIME) - startTicks * 1'000'000 / hz;
}

std::int64_t ProcessStats::realtimeUs() { return clockUs(CLOCK_REALTIME); }

std::int64_t ProcessStats::monotonicUs() { return clockUs(CLOCK_MONOTONIC); }

std::int64_t ProcessStats::cpuUs() { return clockUs(CLOCK_PROCESS_CPUTIME_ID); }
