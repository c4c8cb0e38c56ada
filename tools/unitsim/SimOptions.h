#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "UnitFaults.h"

// The command line of velmor-unit-sim.
struct SimOptions {
    UnitFaults faults;
    std::string linkPath;  // --link: a symbolic link to the pseudo-terminal, removed at exit
    bool verbose = false;
    bool help = false;
    std::uint16_t programmingCount = 0;
    bool input1 = false;  // switch inputs closed
    bool input2 = false;
    bool engineStopped = false;
    bool pickupNegative = false;
    std::string error;  // what is wrong with the command line; empty when it is fine

    // The arguments after the program name. "--name value" and "--name=value" both work.
    static SimOptions parse(const std::vector<std::string>& args);
    static std::string helpText();
};
