#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "link/LinkFrame.h"
#include "link/PortBackend.h"
#include "link/PortMapping.h"

// Reports an open failure to the operator ("Com opening error!"), once per open.
class LinkErrorSink {
public:
    virtual ~LinkErrorSink() = default;
    virtual void portOpenFailed() = 0;
};

// Receives what readWaiting read (the device exchange).
class FrameReceiver {
public:
    virtual ~FrameReceiver() = default;
    virtual void dispatchReceived(std::span<const std::uint8_t> received) = 0;
};

// The one serial port to the unit. Synchronous, on the window's thread: readWaiting reads
// only when at least one whole frame waits, and then everything up to 15000 bytes in one
// read into the link's own buffer.
class SerialLink {
public:
    static constexpr int kReceiveBufferSize = 15000;

    explicit SerialLink(std::unique_ptr<PortBackend> backend);

    void setErrorSink(LinkErrorSink* sink) { errorSink_ = sink; }
    void setReceiver(FrameReceiver* receiver) { receiver_ = receiver; }
    PortMapping& mapping() { return mapping_; }

    std::uint8_t portNumber() const { return portNumber_; }
    void setPortNumber(std::uint8_t n) { portNumber_ = n; }  // start-up only; no reopen

    // Why the last open failed: the number, the device tried (empty when the number maps to
    // nothing) and the system's error number.
    struct OpenFailure {
        int portNumber = 0;
        QString device;
        int error = 0;
    };

    void openPort();
    // The same without the message, for reopening after a search; true when open.
    bool openPortQuietly();
    void closePort();
    // Stores n, then closes and opens. The COM menu tick is the window's.
    void selectPort(std::uint8_t n);
    bool isOpen() const;
    const OpenFailure& lastOpenFailure() const { return lastFailure_; }
    // The device the port has open, or had open until it vanished; empty after a failed
    // open or a close on purpose.
    const QString& openedDevice() const { return openedDevice_; }
    // The open device went away under the link (a pulled plug): the link let it go, nobody
    // closed it on purpose.
    bool deviceLost() const { return !openedDevice_.isEmpty() && !backend_->isOpen(); }
    // Opens the lost device again under the same path, without a message; true when open.
    bool reopenLost();

    // One receive inspection; hands the buffer to the receiver when >= 52 bytes were read.
    void readWaiting();
    // Drops whatever the driver holds now, without handing it on and without touching the
    // receive buffer (an answer being dispatched may still live there).
    void discardWaiting();
    void writeFrame(const LinkFrame& frame);
    // Writes, then waits until the transmit queue has drained.
    void writePollFrame(const LinkFrame& frame);

    PortBackend& backend() { return *backend_; }

private:
    bool tryOpen();

    std::unique_ptr<PortBackend> backend_;
    PortMapping mapping_;
    LinkErrorSink* errorSink_ = nullptr;
    FrameReceiver* receiver_ = nullptr;
    std::uint8_t portNumber_ = 1;
    QString openedDevice_;
    OpenFailure lastFailure_;
    std::array<std::uint8_t, kReceiveBufferSize> receiveBuffer_{};
};

// The real port: straight on the file descriptor on POSIX systems, on the Win32
// communications calls on Windows.
std::unique_ptr<PortBackend> makeSystemPortBackend();
