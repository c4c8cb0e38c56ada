#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "UnitFaults.h"

// The command line of velmor-unit-sim.
struct SimOptions {
    // The longest random delay of the profiles: beyond a resend period, short of a step's end.
    static constexpr int kProfileLateMaxMs = 300;

    UnitFaults faults;
    std::string linkPath;  // --link: a symbolic link to the pseudo-terminal, removed at exit
    bool verbose = false;
    bool help = false;
    std::uint16_t programmingCount = 0;
    bool input1 = false;  // switch inputs closed
    bool input2 = false;
    bool engineStopped = false;
    bool pickupNegative = false;
    // --control: commands on standard input, one a line; the simulator ends with its input.
    bool control = false;
    std::string error;  // what is wrong with the command line; empty when it is fine

    // The arguments after the program name. "--name value" and "--name=value" both work.
    static SimOptions parse(const std::vector<std::string>& args);
    static std::string helpText();
    // Sets the faults of a named lossy-line profile ("clean", "loss5", "loss20"); false for
    // an unknown name. Options after --profile change single faults of it.
    static bool applyProfile(const std::string& name, UnitFaults& faults);
};
