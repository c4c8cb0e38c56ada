#include "link/Win32PortBackend.h"

#ifdef Q_OS_WIN

#include <cerrno>

namespace {

// What the driver is told on every open: the timeouts, the line and the queue sizes.
constexpr DWORD kReceiveQueue = 10000;
constexpr DWORD kTransmitQueue = 1024;
constexpr char kLineDefinition[] = "57600,N,8,1";

// Errors after which the handle is worth nothing: the device has gone.
bool deviceGone(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_GEN_FAILURE:
        case ERROR_INVALID_HANDLE:
        case ERROR_OPERATION_ABORTED:
            return true;
        default:
            return false;
    }
}

}  // namespace

Win32PortBackend::~Win32PortBackend() { close(); }

int Win32PortBackend::errorNumberOf(DWORD systemError) {
    switch (systemError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
            return ENOENT;
        // A COM port has no owner or group to fix: access denied means another program
        // holds it open.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return EBUSY;
        default:
            return EIO;
    }
}

QString Win32PortBackend::systemName(const QString& device) {
    if (device.startsWith(QLatin1String("\\\\"))) return device;
    return QStringLiteral("\\\\.\\") + device;
}

bool Win32PortBackend::open(const QString& device) {
    close();
    openError_ = 0;
    const std::wstring name = systemName(device).toStdWString();
    // Read and write, not shared, an existing device only, synchronous.
    handle_ = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        openError_ = errorNumberOf(::GetLastError());
        return false;
    }
    // The results below are not looked at: a driver that refuses one of them (a
    // pseudo-terminal has no modem lines) still carries the frames.
    ::GetCommTimeouts(handle_, &saved_);
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 100;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    // A write that the driver never takes (a wedged adapter) would hold the window for good.
    timeouts.WriteTotalTimeoutConstant = kWriteBoundMs;
    ::SetCommTimeouts(handle_, &timeouts);

    DCB line{};
    line.DCBlength = sizeof line;
    ::GetCommState(handle_, &line);
    ::BuildCommDCBA(kLineDefinition, &line);
    line.fBinary = TRUE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    ::SetCommState(handle_, &line);

    ::SetupComm(handle_, kReceiveQueue, kTransmitQueue);
    ::SetCommMask(handle_, EV_TXEMPTY);
    return true;
}

void Win32PortBackend::close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    ::PurgeComm(handle_, PURGE_RXABORT);
    ::SetCommTimeouts(handle_, &saved_);
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void Win32PortBackend::releaseIfGone(DWORD systemError) {
    // Let a vanished device go, so that it can come back under its name; the handle is not
    // given its old timeouts back, there is nothing left to give them to.
    if (handle_ == INVALID_HANDLE_VALUE || !deviceGone(systemError)) return;
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

std::int64_t Win32PortBackend::bytesWaiting() {
    if (handle_ == INVALID_HANDLE_VALUE) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle_, &errors, &status)) {
        releaseIfGone(::GetLastError());
        return 0;
    }
    return status.cbInQue;
}

std::int64_t Win32PortBackend::read(std::uint8_t* buffer, std::int64_t max) {
    if (handle_ == INVALID_HANDLE_VALUE || max < 0) return -1;
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(max, MAXDWORD));
    if (!::ReadFile(handle_, buffer, want, &got, nullptr)) {
        releaseIfGone(::GetLastError());
        return -1;
    }
    return got;
}

std::int64_t Win32PortBackend::write(const std::uint8_t* data, std::int64_t size) {
    if (handle_ == INVALID_HANDLE_VALUE || size < 0) return -1;
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(size, MAXDWORD));
    if (!::WriteFile(handle_, data, want, &put, nullptr)) {
        const DWORD error = ::GetLastError();
        releaseIfGone(error);
        if (handle_ != INVALID_HANDLE_VALUE) ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        return -1;
    }
    return put;
}

void Win32PortBackend::drain() {
    // WaitCommEvent on the transmit-empty event would wait without a bound on a wedged
    // adapter; the queue is watched instead, within the write's bound.
    const ULONGLONG until = ::GetTickCount64() + kWriteBoundMs;
    while (handle_ != INVALID_HANDLE_VALUE) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(handle_, &errors, &status)) {
            releaseIfGone(::GetLastError());
            return;
        }
        if (status.cbOutQue == 0) return;
        if (::GetTickCount64() >= until) {
            ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
            return;
        }
        // A frame takes about 9 ms on the line; look again each millisecond.
        ::Sleep(1);
    }
}

#endif
