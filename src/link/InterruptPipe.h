#pragma once

// Ctrl+C (SIGINT), SIGTERM and SIGHUP as an event: the handler only writes a byte into a
// pipe, and the event loop reads it through a socket notifier, so the port is closed from
// the ordinary code path and never from inside a signal handler.
class InterruptPipe {
public:
    // Installs the handlers once; false when the pipe could not be made.
    static bool install();
    // The read end, or -1 when there is none.
    static int readEnd();
    // Takes the bytes that are waiting; true when at least one signal came.
    static bool take();
};
