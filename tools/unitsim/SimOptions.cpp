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

// A probability in percent, "5" or "0.25" (up to four decimals), as parts per million.
bool parsePercent(const std::string& text, int& ppm) {
    const auto dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 4 || (dot != std::string::npos && fraction.empty())) return false;
    long long w = 0;
    long long f = 0;
    if (!parseNumber(whole, 0, 100, w)) return false;
    fraction.resize(4, '0');
    if (!parseNumber(fraction, 0, 9999, f)) return false;
    const long long value = w * 10'000 + f;
    if (value > UnitFaults::kPpm) return false;
    ppm = static_cast<int>(value);
    return true;
}

struct Flag {
    const char* name;
    std::function<void(SimOptions&)> apply;
};

struct Valued {
    const char* name;
    const char* what;  // for the error text
    std::function<bool(SimOptions&, const std::vector<std::string>&)> apply;
    std::size_t count = 1;  // values after the name
};

// An option with one value.
Valued one(const char* name, const char* what, std::function<bool(SimOptions&, const std::string&)> apply) {
    return Valued{name, what, [apply](SimOptions& o, const std::vector<std::string>& v) { return apply(o, v[0]); }, 1};
}

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
        {"--split", [](SimOptions& o) { o.faults.split = true; }},
        {"--control", [](SimOptions& o) { o.control = true; }},
    };
    return table;
}

const std::vector<Valued>& valued() {
    static const std::vector<Valued> table = {
        one("--link", "a path",
            [](SimOptions& o, const std::string& v) {
                o.linkPath = v;
                return !v.empty();
            }),
        one("--bad-check", "a whole number from 1",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 1, 1'000'000, o.faults.badCheckEvery); }),
        one("--drop", "a whole number from 1",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 1, 1'000'000, o.faults.dropEvery); }),
        one("--drop-percent", "a whole number 0..100",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 100, o.faults.dropPercent); }),
        one("--seed", "a whole number 0..4294967295",
            [](SimOptions& o, const std::string& v) {
                return parseNumber(v, 0, std::numeric_limits<std::uint32_t>::max(), o.faults.seed);
            }),
        one("--late", "milliseconds 0..60000",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 60'000, o.faults.lateMs); }),
        one("--image-version", "a whole number 0..255",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 255, o.faults.imageVersion); }),
        one("--programming-count", "a whole number 0..65535",
            [](SimOptions& o, const std::string& v) { return parseNumber(v, 0, 65535, o.programmingCount); }),
        one("--loss", "a percentage 0..100",
            [](SimOptions& o, const std::string& v) { return parsePercent(v, o.faults.lossPpm); }),
        one("--flip", "a percentage 0..100",
            [](SimOptions& o, const std::string& v) { return parsePercent(v, o.faults.flipPpm); }),
        one("--flip-requests", "a percentage 0..100",
            [](SimOptions& o, const std::string& v) { return parsePercent(v, o.faults.flipRequestsPpm); }),
        one("--dup", "a percentage 0..100",
            [](SimOptions& o, const std::string& v) { return parsePercent(v, o.faults.dupPpm); }),
        one("--junk", "a percentage 0..100",
            [](SimOptions& o, const std::string& v) { return parsePercent(v, o.faults.junkPpm); }),
        Valued{"--late-random", "a percentage 0..100 and milliseconds 1..60000",
               [](SimOptions& o, const std::vector<std::string>& v) {
                   return parsePercent(v[0], o.faults.lateRandomPpm) &&
                          parseNumber(v[1], 1, 60'000, o.faults.lateRandomMaxMs);
               },
               2},
        one("--profile", "clean, loss5 or loss20",
            [](SimOptions& o, const std::string& v) { return SimOptions::applyProfile(v, o.faults); }),
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
            // "--name=a,b" gives several values at once; otherwise they follow the name.
            std::vector<std::string> values;
            if (inlineValue) {
                std::size_t from = 0;
                for (std::size_t comma; (comma = value.find(',', from)) != std::string::npos; from = comma + 1)
                    values.push_back(value.substr(from, comma - from));
                values.push_back(value.substr(from));
            } else {
                for (std::size_t k = 0; k < option.count && i + 1 < args.size(); ++k) values.push_back(args[++i]);
            }
            if (values.size() != option.count) {
                options.error = name + " needs " + option.what;
                break;
            }
            if (!option.apply(options, values)) {
                std::string given;
                for (const std::string& v : values) given += (given.empty() ? "" : " ") + v;
                options.error = name + " needs " + option.what + ", not \"" + given + "\"";
            }
        }
        if (!known) options.error = "unknown option \"" + args[i] + "\"";
    }
    return options;
}

bool SimOptions::applyProfile(const std::string& name, UnitFaults& faults) {
    // Each profile disturbs about the named share of exchanges, spread over every kind of
    // fault a poor line shows; all answers go out in pieces.
    struct Profile {
        const char* name;
        int loss, flip, flipRequests, dup, late, junk;  // ppm
        bool split;
    };
    static constexpr Profile profiles[] = {
        {"clean", 0, 0, 0, 0, 0, 0, false},
        {"loss5", 20'000, 10'000, 5'000, 5'000, 5'000, 5'000, true},
        {"loss20", 80'000, 40'000, 20'000, 20'000, 20'000, 20'000, true},
    };
    for (const Profile& p : profiles) {
        if (name != p.name) continue;
        faults.lossPpm = p.loss;
        faults.flipPpm = p.flip;
        faults.flipRequestsPpm = p.flipRequests;
        faults.dupPpm = p.dup;
        faults.lateRandomPpm = p.late;
        faults.lateRandomMaxMs = p.late > 0 ? kProfileLateMaxMs : 0;
        faults.junkPpm = p.junk;
        faults.split = p.split;
        return true;
    }
    return false;
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

A lossy line (P is a percentage such as 5 or 0.25; every draw is seeded by --seed):
  --loss P               each exchange is lost with probability P: half of the time the
                         request never reaches the unit, half of the time the answer is lost
  --flip P               each answer has bits flipped with probability P: one bit or two;
                         half of the double flips hit the same bit of two bytes, which the
                         check byte cannot see
  --flip-requests P      the same for requests on their way to the unit
  --dup P                each answer is sent twice with probability P
  --late-random P MS     each answer leaves 1 to MS milliseconds late with probability P
                         (also --late-random=P,MS)
  --split                answers go out in pieces of 1 to 8 bytes with small gaps
  --junk P               1 to 16 random bytes go on the line before an answer with
                         probability P
  --profile NAME         a whole line at once: loss5 or loss20 disturb about 5 % or 20 %
                         of exchanges (loss 2/8, flip 1/4, flip-requests 0.5/2, dup 0.5/2,
                         late-random 0.5/2 up to 300 ms, junk 0.5/2, split); clean turns
                         them off. Options after it change single faults.

Control:
  --control              read commands from standard input, one a line, and answer each on
                         standard output; the simulator ends when its input ends.
                         "state": one line "state block=<the stored parameter block in hex>
                         programmings=N" followed by the unit's counters (received, bad,
                         lost answers and every fault of the lossy line); requests that
                         have arrived before the command are taken in first.
                         "quit": end.

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
