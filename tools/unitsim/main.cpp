#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "PtyServer.h"
#include "SimOptions.h"
#include "UnitSimulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) { stopRequested = 1; }

void installSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: poll() returns at once with EINTR
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

const char* eventName(UnitSimulator::LogEvent event) {
    switch (event) {
        case UnitSimulator::LogEvent::Received:
            return "rx     ";
        case UnitSimulator::LogEvent::BadFrame:
            return "rx bad ";
        case UnitSimulator::LogEvent::Unanswered:
            return "lost   ";
        case UnitSimulator::LogEvent::Sent:
            return "tx     ";
        case UnitSimulator::LogEvent::LostOnLine:
            return "rx lost";
    }
    return "?      ";
}

void logFrame(UnitSimulator::LogEvent event, std::int64_t nowUs, std::span<const std::uint8_t> bytes) {
    std::string line;
    line.reserve(bytes.size() * 3 + 32);
    char head[40];
    std::snprintf(head, sizeof head, "%10.3f %s", static_cast<double>(nowUs) / 1000.0, eventName(event));
    line += head;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
        line += hex;
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

}  // namespace

int main(int argc, char** argv) {
    const SimOptions options = SimOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::fprintf(stderr, "velmor-unit-sim: %s (see --help)\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimOptions::helpText().c_str(), stdout);
        return 0;
    }

    UnitSimulator unit(options.faults);
    unit.setProgrammingCount(options.programmingCount);
    unit.engine().setRunning(!options.engineStopped);
    unit.engine().setInputActive(1, options.input1);
    unit.engine().setInputActive(2, options.input2);
    unit.engine().setPickupNegative(options.pickupNegative);
    if (options.verbose) unit.setLog(logFrame);

    installSignals();
    PtyServer server(unit);
    std::string error;
    if (!server.open(error)) {
        std::fprintf(stderr, "velmor-unit-sim: %s\n", error.c_str());
        return 1;
    }
    if (!options.linkPath.empty() && !server.makeLink(options.linkPath, error)) {
        std::fprintf(stderr, "velmor-unit-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);
    if (options.control) {
        server.setControl(STDIN_FILENO, [&unit](const std::string& line) {
            if (line == "quit") return false;
            if (line == "state")
                std::printf("state %s\n", unit.describeState().c_str());
            else if (!line.empty())
                std::printf("error unknown command \"%s\"\n", line.c_str());
            std::fflush(stdout);
            return true;
        });
    }

    const int status = server.run(stopRequested);
    server.removeLink();
    return status;
}
