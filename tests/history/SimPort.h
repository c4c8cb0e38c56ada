#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "UnitSimulator.h"
#include "link/PortBackend.h"

// The simulated unit on an in-memory line for the window tests: every request goes to the
// unit, whose clock is moved on far enough that its answer is waiting for the next read.
// Records the first byte of every request. The window owns it; the test keeps a raw pointer.
class SimPort : public PortBackend {
public:
    explicit SimPort(const UnitFaults& faults = {}) : unit(faults) {}

    bool open(const QString&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override { return open_ ? static_cast<std::int64_t>(incoming.size()) : 0; }
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override {
        const auto n = std::min<std::int64_t>(max, static_cast<std::int64_t>(incoming.size()));
        std::copy(incoming.begin(), incoming.begin() + n, buffer);
        incoming.erase(incoming.begin(), incoming.begin() + n);
        return n;
    }
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override {
        if (!open_) return -1;
        if (size > 0 && data[0] != kPollCommand) commands.push_back(data[0]);
        if (silent) return size;
        unit.receive({data, static_cast<std::size_t>(size)});
        unit.advance(40);
        const std::vector<std::uint8_t> answer = unit.takeOutput();
        incoming.insert(incoming.end(), answer.begin(), answer.end());
        return size;
    }
    void drain() override {}

    UnitSimulator unit;
    bool silent = false;  // the unit no longer answers
    std::vector<std::uint8_t> incoming;
    std::vector<int> commands;  // block requests, polls left out

private:
    bool open_ = false;
};
