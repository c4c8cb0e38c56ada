#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "UnitSimulator.h"
#include "link/LinkFrame.h"
#include "link/PortBackend.h"

// A unit on an in-memory line, for benchmarks that drive the real link and window without
// a clock. Polls are answered from a prepared list of telemetry frames, in turn, so the
// idle path costs the bench nothing and allocates nothing. Block requests go to an
// in-process simulated unit without line time. Every answer waits for the next read.
class BenchPort : public PortBackend {
public:
    BenchPort();

    // Telemetry of the simulated engine, one frame every stepMs of its clock from startMs.
    static std::vector<LinkFrame> engineTelemetry(int count, int stepMs, std::int64_t startMs = 0);
    // A telemetry frame with the given RPM and otherwise quiet values.
    static LinkFrame telemetryAt(std::uint16_t rpm);

    // The frames polls are answered with, in turn; at least one.
    void setTelemetry(std::vector<LinkFrame> frames);
    UnitSimulator& unit() { return unit_; }
    std::int64_t polls() const { return polls_; }
    std::int64_t blockRequests() const { return blockRequests_; }
    // Drops every answer not read yet.
    void discardInput() { waiting_ = 0; }

    bool open(const QString& device) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override { return open_ ? waiting_ : 0; }
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override {}

private:
    void append(const std::uint8_t* data, std::int64_t size);

    UnitSimulator unit_;
    std::vector<LinkFrame> telemetry_;
    std::size_t nextTelemetry_ = 0;
    std::array<std::uint8_t, 4096> incoming_{};
    std::int64_t waiting_ = 0;
    std::int64_t polls_ = 0;
    std::int64_t blockRequests_ = 0;
    bool open_ = false;
};
