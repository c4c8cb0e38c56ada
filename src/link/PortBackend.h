#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>

// The platform side of the serial port. SerialLink talks only to this; the real port
// (PosixPortBackend, Win32PortBackend) and the tests' FakePort implement it.
class PortBackend {
public:
    virtual ~PortBackend() = default;
    // Opens the device with 57600 baud, 8N1, no flow control, DTR and RTS on, exclusive.
    virtual bool open(const QString& device) = 0;
    // The system's error number of the last failed open (errno on POSIX); 0 when unknown.
    virtual int lastOpenError() const { return 0; }
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Bytes waiting in the receive queue (line errors cleared); 0 when closed or failed.
    virtual std::int64_t bytesWaiting() = 0;
    // Reads up to max bytes that are already waiting; returns the count, or -1 on failure.
    virtual std::int64_t read(std::uint8_t* buffer, std::int64_t max) = 0;
    // Writes the bytes; returns the count written or -1.
    virtual std::int64_t write(const std::uint8_t* data, std::int64_t size) = 0;
    // Blocks until the transmit queue is empty (bounded).
    virtual void drain() = 0;
    // Drops what waits in the receive queue now; bytes arriving meanwhile may stay.
    virtual void discardInput() {
        std::array<std::uint8_t, 512> scrap{};
        // Bounded by the driver's receive queue, so a stream of arriving bytes cannot hold it.
        for (std::int64_t dropped = 0; dropped < 16384;) {
            const std::int64_t waiting = bytesWaiting();
            if (waiting <= 0) return;
            const std::int64_t got =
                read(scrap.data(), std::min<std::int64_t>(waiting, static_cast<std::int64_t>(scrap.size())));
            if (got <= 0) return;
            dropped += got;
        }
    }
};
