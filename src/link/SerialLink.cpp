#include "link/SerialLink.h"

#include <algorithm>

#include "link/PosixPortBackend.h"
#include "link/Win32PortBackend.h"

SerialLink::SerialLink(std::unique_ptr<PortBackend> backend) : backend_(std::move(backend)) {}

bool SerialLink::tryOpen() {
    const QString device = mapping_.deviceFor(portNumber_);
    if (!device.isEmpty() && backend_->open(device)) {
        openedDevice_ = device;
        return true;
    }
    lastFailure_ = OpenFailure{portNumber_, device, device.isEmpty() ? 0 : backend_->lastOpenError()};
    return false;
}

void SerialLink::openPort() {
    closePort();
    // Port 0 exists only by editing the settings file: it means no port, and no message.
    if (portNumber_ == 0) return;
    if (!tryOpen() && errorSink_) errorSink_->portOpenFailed();
}

bool SerialLink::openPortQuietly() {
    closePort();
    return portNumber_ != 0 && tryOpen();
}

void SerialLink::closePort() {
    openedDevice_.clear();
    backend_->close();
}

bool SerialLink::reopenLost() {
    if (!deviceLost()) return backend_->isOpen();
    return backend_->open(openedDevice_);
}

void SerialLink::selectPort(std::uint8_t n) {
    portNumber_ = n;
    closePort();
    openPort();
}

bool SerialLink::isOpen() const { return backend_->isOpen(); }

void SerialLink::readWaiting() {
    if (!backend_->isOpen()) return;
    const std::int64_t waiting = backend_->bytesWaiting();
    // Less than a whole frame stays with the driver until the next tick.
    if (waiting < kFrameSize) return;
    const std::int64_t wanted = std::min<std::int64_t>(waiting, kReceiveBufferSize);
    const std::int64_t got = backend_->read(receiveBuffer_.data(), wanted);
    // Only bytes read now are handed on, never what an earlier read left in the buffer.
    if (got < kFrameSize) return;
    if (receiver_)
        receiver_->dispatchReceived(
            std::span<const std::uint8_t>(receiveBuffer_.data(), static_cast<std::size_t>(got)));
}

void SerialLink::discardWaiting() {
    if (backend_->isOpen()) backend_->discardInput();
}

void SerialLink::writeFrame(const LinkFrame& frame) {
    if (!backend_->isOpen()) return;
    backend_->write(frame.data(), kFrameSize);
}

void SerialLink::writePollFrame(const LinkFrame& frame) {
    if (!backend_->isOpen()) return;
    if (backend_->write(frame.data(), kFrameSize) > 0) backend_->drain();
}

std::unique_ptr<PortBackend> makeSystemPortBackend() {
#ifdef Q_OS_WIN
    return std::make_unique<Win32PortBackend>();
#else
    return std::make_unique<PosixPortBackend>();
#endif
}
