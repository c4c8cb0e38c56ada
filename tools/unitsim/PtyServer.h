#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "UnitSimulator.h"

// Serves a UnitSimulator on a pseudo-terminal in real time. The server keeps a descriptor
// of the slave side open itself, so a tool that closes and reopens the port finds the
// device as it left it and the master side never sees a hang-up.
class PtyServer {
public:
    // A live tool sends a request at least every 330 ms. After this long without one it is
    // gone, and answers it left unread are dropped so that the next one starts clean.
    static constexpr std::chrono::milliseconds kAbandonedAfter{2000};

    explicit PtyServer(UnitSimulator& unit);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pseudo-terminal and puts its slave side into raw mode.
    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }
    // A symbolic link to the slave device; an old symbolic link there is replaced, anything
    // else is left alone and refused.
    bool makeLink(const std::string& path, std::string& error);
    // Removes the link if it still points at our device.
    void removeLink();

    // Commands, one a line, arrive on fd (standard input). Before each line is handed over,
    // every request already waiting on the pseudo-terminal is taken in, so the command sees
    // the unit after all of them. The handler returns false to end the run; the end of the
    // input ends it too.
    using ControlHandler = std::function<bool(const std::string& line)>;
    void setControl(int fd, ControlHandler handler);

    // Serves until stop becomes nonzero (set by a signal handler). Returns 0, or 1 when the
    // pseudo-terminal failed for good.
    int run(const volatile std::sig_atomic_t& stop);

private:
    std::int64_t elapsedUs() const;
    void flushOutput();
    // Reads what the master side holds into the unit; false when nothing was there.
    bool takeInput();
    // Reads the control input and runs its whole lines; false when the run should end.
    bool serveControl();

    UnitSimulator& unit_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    std::vector<std::uint8_t> transmit_;
    int control_ = -1;
    ControlHandler onControl_;
    std::string controlLine_;
    std::int64_t lastInputUs_ = 0;
    bool abandoned_ = false;
    std::chrono::steady_clock::time_point start_;
};
