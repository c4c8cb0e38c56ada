#pragma once

#include <cstdint>

// What the kernel says about this process (Linux /proc), for the probes.
class ProcessStats {
public:
    // VmHWM and VmRSS of /proc/self/status in KiB; -1 when unknown.
    static std::int64_t peakResidentKb();
    static std::int64_t residentKb();
    // Microseconds since the process was started, from its start time in /proc/self/stat
    // (kernel clock ticks, usually 10 ms) against the boot clock; -1 when unknown.
    static std::int64_t sinceStartUs();
    // The wall clock in microseconds since 1970, comparable with bash's EPOCHREALTIME.
    static std::int64_t realtimeUs();
    // A monotonic clock in microseconds.
    static std::int64_t monotonicUs();
    // CPU time this process has used (user and system), in microseconds.
    static std::int64_t cpuUs();
};
