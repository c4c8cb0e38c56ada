#pragma once

// Ctrl+C (SIGINT), SIGTERM and SIGHUP as an event: the handler only raises a flag and writes
// a byte into a pipe, and the program reads them later, through a socket notifier or on a
// timer's tick, so the port is closed from the ordinary code path and never from inside a
// signal handler. On Windows the console's Ctrl+C and Ctrl+Break, and closing the console,
// raise the flag from the console's own thread; there is no pipe (readEnd() is -1), so the
// program looks at pending() on its tick.
class InterruptPipe {
public:
    // Installs the handlers once; false when the pipe could not be made.
    static bool install();
    // The read end, or -1 when there is none.
    static int readEnd();
    // True when a signal came since the last take(), without a look at the pipe: for a caller
    // that looks on a tick of its own rather than keeping the pipe among what it waits for.
    static bool pending();
    // Takes the bytes that are waiting; true when at least one signal came.
    static bool take();
};
