#include "link/QtPortBackend.h"

#ifdef Q_OS_UNIX
#include <sys/file.h>
#include <termios.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <cerrno>

namespace {

// The port's own error kinds in the system's error numbers, for the reason shown.
int errorNumber(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return ENOENT;
        case QSerialPort::PermissionError:
#ifdef Q_OS_WIN
            // A COM port has no owner or group to fix: access denied means another program
            // holds it open.
            return EBUSY;
#else
            return EACCES;
#endif
        case QSerialPort::OpenError:
            return EBUSY;
        default:
            return EIO;
    }
}

}  // namespace

void QtPortBackend::releaseIfGone() {
    // The device has disappeared (unplugged): let it go, so that it can come back under its
    // name, and report the port closed until the operator chooses it again.
    if (port_.isOpen() && port_.error() == QSerialPort::ResourceError) port_.close();
    port_.clearError();
}

bool QtPortBackend::open(const QString& device) {
    close();
    openError_ = 0;
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        openError_ = errorNumber(port_.error());
        return false;
    }
#ifdef Q_OS_UNIX
    // QSerialPort sets TIOCEXCL, which does not keep out root; flock does for every
    // cooperating program.
    if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        openError_ = EBUSY;
        port_.close();
        return false;
    }
#endif
    const bool configured = port_.setBaudRate(57600) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        openError_ = errorNumber(port_.error());
        port_.close();
        return false;
    }
    // Pseudo-terminals have no modem lines and refuse these; the port works all the same.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(true);
    port_.clearError();
    return true;
}

void QtPortBackend::close() {
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

std::int64_t QtPortBackend::bytesWaiting() {
    if (!port_.isOpen()) return 0;
    // Each call takes one chunk from the OS; a few cover a full receive buffer.
    for (int i = 0; i < 4 && port_.waitForReadyRead(0); ++i) {
    }
    // A zero wait that finds nothing counts as a timeout error; errors are not reported.
    releaseIfGone();
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

std::int64_t QtPortBackend::read(std::uint8_t* buffer, std::int64_t max) {
    if (!port_.isOpen()) return -1;
    return port_.read(reinterpret_cast<char*>(buffer), max);
}

std::int64_t QtPortBackend::write(const std::uint8_t* data, std::int64_t size) {
    if (!port_.isOpen()) return -1;
    const qint64 put = port_.write(reinterpret_cast<const char*>(data), size);
    if (put < 0) {
        releaseIfGone();
        return -1;
    }
    // Without an event loop the bytes leave the port's buffer only here.
    port_.waitForBytesWritten(kWriteBoundMs);
    releaseIfGone();
    return put;
}

void QtPortBackend::drain() {
    if (!port_.isOpen()) return;
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(kWriteBoundMs);
    releaseIfGone();
    if (!port_.isOpen()) return;
#ifdef Q_OS_UNIX
    ::tcdrain(static_cast<int>(port_.handle()));
#endif
#ifdef Q_OS_WIN
    // FlushFileBuffers waits without a bound for the transmit queue; a wedged adapter would
    // hold the window forever. Watch the queue instead, within the same bound as the write.
    const HANDLE handle = port_.handle();
    const ULONGLONG until = ::GetTickCount64() + kWriteBoundMs;
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(handle, &errors, &status)) return;
        if (status.cbOutQue == 0) return;
        if (::GetTickCount64() >= until) {
            ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
            return;
        }
        // A frame takes about 9 ms on the line; look again each millisecond.
        ::Sleep(1);
    }
#endif
}
