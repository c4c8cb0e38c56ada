#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <windows.h>

#include "link/PortBackend.h"

// The real port on Windows, straight on the Win32 communications calls: the handle is opened
// exclusive and synchronous, the line set to 57600 8N1 without flow control with DTR and RTS
// on, and the driver's queues to 10000 bytes in and 1024 out. bytesWaiting asks the driver
// (ClearCommError, which also clears line errors), read takes only what already waits, so
// nothing here waits for data and nothing is allocated.
// A device that disappears (a USB adapter pulled out) is closed at the first call that
// notices it, so that Windows can give its COM name to it again when it comes back; the port
// then reports itself closed.
class Win32PortBackend : public PortBackend {
public:
    // Upper bound for one write to be accepted and for the transmit queue to empty after it;
    // the line takes about 9 ms for a frame, so only a stalled adapter reaches it, and the
    // window must not freeze then. A frame still queued when it runs out is thrown away: a
    // half frame on the line would only be taken by the unit as the start of the next one.
    static constexpr DWORD kWriteBoundMs = 1000;

    Win32PortBackend() = default;
    ~Win32PortBackend() override;
    Win32PortBackend(const Win32PortBackend&) = delete;
    Win32PortBackend& operator=(const Win32PortBackend&) = delete;

    bool open(const QString& device) override;
    void close() override;
    int lastOpenError() const override { return openError_; }
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override;

    // The system's error code of a failed open as the error number the operator's reason is
    // chosen by: nothing at that name, the port held by another program, or anything else.
    static int errorNumberOf(DWORD systemError);
    // "COM3" as the name CreateFile takes; COM10 and above need the device namespace.
    static QString systemName(const QString& device);

private:
    void releaseIfGone(DWORD systemError);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    COMMTIMEOUTS saved_{};
    int openError_ = 0;
};

#endif
