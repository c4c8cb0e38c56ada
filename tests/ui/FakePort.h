#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "link/PortBackend.h"

// A port double for the window tests: records what is written, feeds bytes on request and
// can refuse to open. The window owns it; the test keeps a raw pointer.
class FakePort : public PortBackend {
public:
    bool open(const QString& device) override {
        ++opens;
        lastDevice = device;
        open_ = !failOpen;
        return open_;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override { return open_ ? static_cast<std::int64_t>(incoming.size()) : 0; }
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override {
        if (!open_) return -1;
        const auto n = std::min<std::int64_t>(max, static_cast<std::int64_t>(incoming.size()));
        std::copy(incoming.begin(), incoming.begin() + n, buffer);
        incoming.erase(incoming.begin(), incoming.begin() + n);
        return n;
    }
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override {
        if (!open_) return -1;
        written.insert(written.end(), data, data + size);
        return size;
    }
    void drain() override {}

    void feed(const std::vector<std::uint8_t>& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }

    bool failOpen = false;
    int opens = 0;
    QString lastDevice;
    std::vector<std::uint8_t> incoming;
    std::vector<std::uint8_t> written;

private:
    bool open_ = false;
};
