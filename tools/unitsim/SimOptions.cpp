#include "SimOptions.h"

#include <charconv>
#include <functional>
#include <limits>

namespace {

template <typename T>
bool parseNumber(const std::string& text, long long low, long long high, T& out) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty() || value < low || value > high) return false;
    out = static_cast<T>(value);
    return true;
}

struct Flag {
    const char* name;
    std::function<void(SimOptions&)> apply;
};

struct Valued {
    const char* name;
    const char* what;  // for the error text
    std::function<bool(SimOptions&, const std::string&)> apply;
};

const std::vector<Flag>& flags() {
    static const std::vector<Flag> table = {
        {"--help", [](SimOptions& o) { o.help = true; }},
        {"-h", [](SimOptions& o) { o.help = true; }},
        {"--verbose", [](SimOptions& o) { o.verbose = true; }},
        {"-v", [](SimOptions& o) { o.verbose = true; }},
        {"--no-answer", [](SimOptions& o) { o.faults.noAnswer = true; }},
        {"--duplicate", [](SimOptions& o) { o.faults.duplicate = true; }},
        {"--echo-mismatch-once", [](SimOptions& o) { o.faults.echoMismatchOnce = true; }},
        {"--read-protected", [](SimOptions& o) { o.faults.readProtected = true; }},
        {"--line-time", [](SimOptions& o) { o.faults.lineTime = true; }},
        {"--no-line-time", [](SimOptions& o) { o.faults.lineTime = false; }},
        {"--input1", [](SimOptions& o) { o.input1 = true; }},
        {"--input2", [](SimOptions& o) { o.input2 = true; }},
        {"--engine-stopped", [](SimOptions& o) { o.engineStopped = true; }},
        {"--negative-pickup", [](SimOptions& o) { o.pickupNegative = true; }},
    };
    return table;
}

const std::vector<Valued>& valued() {
    static const std::vector<Valued> table = {
        {"--link", "a path",
         [](SimOptions& o, const std::string& v) {
             o.linkPath = v;
             return !v.empty();
         }},
        {"--bad-check", "a whole number from 1",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 1, 1'000'000, o.faults.badCheckEvery); }},
        {"--drop", "a whole number from 1",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 1, 1'000'000, o.faults.dropEvery); }},
        {"--drop-percent", "a whole number 0..100",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 100, o.faults.dropPercent); }},
        {"--seed", "a whole number 0..4294967295",
         [](SimOptions& o, const std::string& v) {
             return parseNumber(v, 0, std::numeric_limits<std::uint32_t>::max(), o.faults.seed);
         }},
        {"--late", "milliseconds 0..60000",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 60'000, o.faults.lateMs); }},
        {"--image-version", "a whole number 0..255",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 255, o.faults.imageVersion); }},
        {"--programming-count", "a whole number 0..65535",
         [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 65535, o.programmingCount); }},
    };
    return table;
}

}  // namespace

SimOptions SimOptions::parse(const std::vector<std::string>& args) {
    SimOptions options;
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        bool known = false;
        for (const Flag& flag : flags()) {
            if (name != flag.name) continue;
            known = true;
            if (inlineValue)
                options.error = name + " takes no value";
            else
                flag.apply(options);
        }
        for (const Valued& option : valued()) {
            if (name != option.name) continue;
            known = true;
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    options.error = name + " needs " + option.what;
                    break;
                }
                value = args[++i];
            }
            if (!option.apply(options, value))
                options.error = name + " needs " + option.what + ", not \"" + value + "\"";
        }
        if (!known) options.error = "unknown option \"" + args[i] + "\"";
    }
    return options;
}

std::string SimOptions::helpText() {
    return R"(Usage: velmor-unit-sim [options]

Serves a simulated ignition unit on a pseudo-terminal. The slave device path is printed
on the first line of standard output; point the tool's COM port at it. The unit answers
every request frame with one 52-byte frame: 0x30 live values of a running engine, 0x00
and 0x40 its header (image version 41), 0x01 stores the parameter block and echoes it,
0x41 its parameter block. Requests with a wrong check byte get no answer.

  --link PATH            also make a symbolic link PATH to the device (removed at exit)
  --verbose, -v          log every received and sent frame in hex on standard error
  --help, -h             show this text

Timing:
  --line-time            model the line: an answer leaves only after the request's and
                         the answer's line time (52 bytes at 57600 baud, about 9.03 ms
                         each) have passed, one frame after another (the default)
  --no-line-time         answer as soon as a request is in

Faults:
  --no-answer            never answer (requests are still taken in)
  --bad-check N          every Nth answer has a wrong check byte
  --drop N               every Nth answer is lost
  --drop-percent P       each answer is lost with probability P percent
  --seed S               seed of the random faults (default 1; the same seed repeats a run)
  --duplicate            every answer is sent twice
  --late MS              every answer leaves MS milliseconds late
  --echo-mismatch-once   the first echo of a programmed block has one byte changed
  --read-protected       the header refuses reading (as when "No Reading" is stored)
  --image-version V      the header reports image version V instead of 41

The engine:
  --programming-count N  start the programming count at N (default 0)
  --input1, --input2     the switch input is closed; it acts as its stored function
  --engine-stopped       the engine does not turn
  --negative-pickup      the pick-up has negative polarity

The engine idles at about 1200 rpm, revs up to the stored limiter over 4 s, holds there
for 1 s and falls back over 4 s, in a 12 s cycle. Counters every "Nth" count all answers
from the first. Stop with Ctrl+C or SIGTERM.
)";
}
