#pragma once

#include <cstdint>

enum class ExchangeMode : std::uint8_t;

// Who wants to know how a command of the exchange ended, beyond what the message line shows:
// the history keeps what was read and programmed, and a read into a separate set hands its
// result on. Called on the window's thread, after the exchange is Idle and its message shown.
class ExchangeObserver {
public:
    enum class ReadOutcome {
        Done,             // both blocks are in the target set
        NoReading,        // the unit refuses reading ("No reading!" is shown)
        VersionMismatch,  // the unit's image version is not ours (the version box was shown)
        Failed,           // no acceptable answer after five sends ("Read error!" is shown)
    };

    virtual ~ExchangeObserver() = default;
    // A read started with startReadInto has ended; the target holds whatever arrived.
    virtual void separateReadFinished(ReadOutcome outcome) = 0;
    // A Read, Program or Verify ended: ok after "Verify: OK", false after its failure text.
    virtual void commandFinished(ExchangeMode command, bool ok) = 0;
};
