// Fuzz target for the device exchange: the input is a script that starts commands, feeds
// received bytes (raw, or frames made valid so that the deep paths are reached), runs timer
// ticks, plays a unit that answers what the tool sends (on time, late, twice, damaged or not
// at all), pulls the port, and runs ticks inside message boxes as a modal loop would. After
// every step the exchange's invariants are checked; a broken one aborts, which libFuzzer
// reports as a crash.
//
// Script layout: byte 0 sets the start (bits 0-1: command to start, 0 none, 1 Program,
// 2 Verify, 3 Read; bit 2: the unit answers; bit 3: the window's block comes from the next
// 50 bytes; bit 4: the unit already holds the window's block; bit 5: the unit reports image
// version 40; bit 6: the unit refuses reading). Then operations, one byte each, low nibble
// the kind, high nibble its argument; see Harness::step.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "ScriptPort.h"
#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/ExchangeView.h"
#include "link/LinkFrame.h"
#include "link/SerialLink.h"
#include "model/ParameterSet.h"

#define EXCHANGE_EXPECT(condition)                                                                            \
    do {                                                                                                      \
        if (!(condition)) {                                                                                   \
            std::fprintf(stderr, "exchange invariant failed: %s at %s:%d\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                                     \
        }                                                                                                     \
    } while (false)

namespace {

constexpr int kMaxTicks = 4000;
constexpr int kMaxOps = 20000;
constexpr int kMaxDepth = 2;       // message boxes inside message boxes
constexpr int kClosingTicks = 64;  // after the script, so that a started command can finish
constexpr std::size_t kRpmPulsesInBlock = ImageByte::rpmPulses - kBlockSize;

// VELMOR_FUZZ_TRACE=1 prints what the exchange shows, to see where an input leads.
bool tracing() {
    static const bool on = std::getenv("VELMOR_FUZZ_TRACE") != nullptr;
    return on;
}

// The script's bytes, taken one by one; past the end every byte reads 0.
class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::span<const std::uint8_t> take(std::size_t n) {
        n = std::min(n, size_ - at_);
        const std::span<const std::uint8_t> out(data_ + at_, n);
        at_ += n;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

ImageBlock toBlock(std::span<const std::uint8_t> bytes) {
    ImageBlock b{};
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kBlockSize), b.begin());
    return b;
}

ImageBlock unitHeader(std::uint8_t version, std::uint8_t readAllowed) {
    ImageBlock h{};
    const std::uint8_t id[] = {'V', 'L', 'M', 12, 14, 35, 24, 9, 30};
    std::copy(std::begin(id), std::end(id), h.begin());
    h[ImageByte::readAllowed] = readAllowed;
    h[ImageByte::imageVersion] = version;
    return h;
}

LinkFrame frameOf(std::uint8_t first, const ImageBlock& payload) {
    LinkFrame f{};
    f[0] = first;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    sealFrame(f);
    return f;
}

bool isRequest(std::uint8_t b) {
    return b == kPollCommand || b == kProgramHeaderCommand || b == kProgramParametersCommand ||
           b == kReadHeaderCommand || b == kReadParametersCommand;
}

std::span<const std::uint8_t> payloadOf(const std::array<std::uint8_t, kFrameSize>& frame) {
    return std::span<const std::uint8_t>(frame).subspan(1, kPayloadSize);
}

// The other end of the line, played from the script: it answers each request as the unit
// would, and the script decides for each answer whether it comes now, a tick later, twice,
// damaged or not at all.
struct ScriptedUnit {
    bool enabled = false;
    ImageBlock header = unitHeader(kImageVersion, 1);
    ImageBlock stored{};
    std::vector<LinkFrame> held;

    void answer(const ScriptPort::Write& request, Script& script, ScriptPort& port) {
        if (!enabled || request.size != kFrameSize || !checkByteValid(request.bytes)) return;
        const std::uint8_t command = request.bytes[0];
        ImageBlock payload{};
        switch (command) {
            case kPollCommand:
                payload[0] = script.byte();  // some RPM
                payload[1] = script.byte();
                break;
            case kProgramHeaderCommand:
            case kReadHeaderCommand:
                payload = header;
                break;
            case kProgramParametersCommand:
                stored = toBlock(payloadOf(request.bytes));
                payload = stored;
                break;
            case kReadParametersCommand:
                payload = stored;
                break;
            default:
                return;
        }
        LinkFrame a = frameOf(static_cast<std::uint8_t>(command | kAnswerBit), payload);
        const std::uint8_t policy = script.byte();
        switch (policy % 8) {
            case 4:  // lost
                return;
            case 5:  // comes with the next tick
                if (held.size() < 16) held.push_back(a);
                return;
            case 6: {  // bits flipped; with bit 4 the same bit of a second byte, which the check misses
                const std::size_t i = script.byte() % kFrameSize;
                const auto bit = static_cast<std::uint8_t>(1u << (script.byte() % 8));
                a[i] ^= bit;
                if (policy & 0x10) a[(i + 1 + script.byte() % (kFrameSize - 1)) % kFrameSize] ^= bit;
                port.feed(a);
                return;
            }
            case 7:  // twice
                port.feed(a);
                port.feed(a);
                return;
            default:
                port.feed(a);
                return;
        }
    }

    void release(ScriptPort& port) {
        for (const LinkFrame& a : held) port.feed(a);
        held.clear();
    }
};

class Harness : public ExchangeView {
public:
    explicit Harness(Script& script)
        : script_(script),
          port_(new ScriptPort),
          link_(std::unique_ptr<PortBackend>(port_)),
          exchange_(set_, headerTexts_, link_, texts_, *this) {
        buildMessageTexts(texts_);
        port_->exchange = &exchange_;
        port_->onWrite = [this](const ScriptPort::Write& w) { onWrite(w); };
        link_.mapping().setExplicit(1, QStringLiteral("fuzz"));
        link_.setPortNumber(1);
        link_.openPort();
    }

    void run() {
        const std::uint8_t start = script_.byte();
        unit_.enabled = start & 0x04;
        if (start & 0x08) {
            set_.replaceBlock(kParameterBlock, toBlock(script_.take(kBlockSize)));
            set_.validate();
        }
        unit_.stored = (start & 0x10) ? toBlock(set_.block(kParameterBlock)) : toBlock(ParameterSet().block(1));
        unit_.header = unitHeader((start & 0x20) ? 40 : kImageVersion, (start & 0x40) ? 0 : 1);
        startCommand(start & 0x03);
        for (int ops = 0; ops < kMaxOps && !script_.done() && ticks_ < kMaxTicks; ++ops) step();
        for (int i = 0; i < kClosingTicks && ticks_ < kMaxTicks; ++i) tick();
    }

    // ExchangeView: every call is checked against what the exchange was shown.
    void showMessage(const QString& text, MessageColour colour) override {
        const bool failure = text == texts_.programError || text == texts_.verifyError || text == texts_.readError;
        const bool red = failure || text == texts_.noReadingNotice;
        EXCHANGE_EXPECT(red || text == texts_.programPrefix || text == texts_.verifyPrefix ||
                        text == texts_.readPrefix || text == texts_.verifyOk);
        EXCHANGE_EXPECT((colour == MessageColour::Red) == red);
        if (failure) EXCHANGE_EXPECT(inTick_ > 0);
        if (tracing()) std::fprintf(stderr, "tick %d: \"%s\"\n", ticks_, qPrintable(text));
        if (text == texts_.verifyOk) checkVerifyOk();
        if (text == texts_.noReadingNotice) {
            const ScriptPort::Read& r = lastRead();
            EXCHANGE_EXPECT(checkByteValid(r.head) && r.head[0] == (kReadHeaderCommand | kAnswerBit));
            EXCHANGE_EXPECT(r.mode == ExchangeMode::Read && r.head[1 + ImageByte::readAllowed] != 1);
        }
        ++messagesShown_;
    }
    void hideMessage() override { EXCHANGE_EXPECT(exchange_.messageCountdown() == 0); }
    void setGauge(int value) override { EXCHANGE_EXPECT(value >= 0 && value <= 3); }
    void setGaugeVisible(bool) override {}
    void setConnectionLabelVisible(bool visible) override {
        if (visible) EXCHANGE_EXPECT(exchange_.watchdogCount() >= ExchangeTiming::kWatchdogLimit && !printing_);
    }
    void showMessageBox(const QString& text) override {
        // The box runs a modal loop with the timer ticking: the exchange must be idle first.
        EXCHANGE_EXPECT(exchange_.mode() == ExchangeMode::Idle);
        EXCHANGE_EXPECT(text == texts_.versionMismatch);
        const ScriptPort::Read& r = lastRead();
        EXCHANGE_EXPECT(checkByteValid(r.head) && (r.head[0] & ~kReadBit) == kAnswerBit);
        EXCHANGE_EXPECT(r.head[1 + ImageByte::imageVersion] != kImageVersion);
        ++nestedRuns_;
        if (tracing()) std::fprintf(stderr, "tick %d: box \"%s\"\n", ticks_, qPrintable(text));
        if (depth_ >= kMaxDepth) return;
        int ops = modalOps_;
        modalOps_ = 0;
        ++depth_;
        while (ops-- > 0 && !script_.done() && ticks_ < kMaxTicks) step();
        --depth_;
    }
    void refreshWindow() override {}
    void clearFileLabel() override { EXCHANGE_EXPECT(exchange_.mode() == ExchangeMode::Read); }
    void showTelemetry(const TelemetryValues& values) override {
        if (tracing()) std::fprintf(stderr, "tick %d: telemetry rpm %d\n", ticks_, values.rpm);
        const ScriptPort::Read& r = lastRead();
        EXCHANGE_EXPECT(r.size >= kFrameSize && checkByteValid(r.head) && r.head[0] == kTelemetryAnswer);
        EXCHANGE_EXPECT(values.rpm == (r.head[1] | (r.head[2] << 8)));
        EXCHANGE_EXPECT(values.rpmGauge >= 0 && values.rpmGauge <= 100);
        EXCHANGE_EXPECT(exchange_.watchdogCount() == 0);
    }
    void highlightLiveRow(int liveRow, bool) override { EXCHANGE_EXPECT(liveRow >= 0 && liveRow < kCurvePoints); }
    bool printView() const override { return printing_; }

private:
    const ScriptPort::Read& lastRead() const {
        EXCHANGE_EXPECT(!port_->reads.empty());
        return port_->reads.back();
    }

    void startCommand(int which) {
        const ParameterImage before = set_.image();
        switch (which) {
            case 1:
                exchange_.startProgram();
                break;
            case 2:
                exchange_.startVerify();
                break;
            case 3:
                exchange_.startRead();
                break;
            default:
                return;
        }
        EXCHANGE_EXPECT(set_.image() == before);
        EXCHANGE_EXPECT(exchange_.attempt() == 0 && exchange_.messageCountdown() == ExchangeTiming::kMessageLifetime);
    }

    // "Verify: OK" only for the frame being handled: a valid 0xC1 taken in Verify mode that
    // matches the window's block in every byte but rpmPulses.
    void checkVerifyOk() {
        const ScriptPort::Read& r = lastRead();
        EXCHANGE_EXPECT(r.size >= kFrameSize && checkByteValid(r.head));
        EXCHANGE_EXPECT(r.head[0] == (kReadParametersCommand | kAnswerBit));
        EXCHANGE_EXPECT(r.mode == ExchangeMode::Verify && r.command == kReadParametersCommand);
        const auto block = set_.block(kParameterBlock);
        for (std::size_t i = 0; i < kBlockSize; ++i)
            if (i != kRpmPulsesInBlock) EXCHANGE_EXPECT(r.head[1 + i] == block[i]);
    }

    void onWrite(const ScriptPort::Write& w) {
        ++writesAtDepth_[static_cast<std::size_t>(depth_)];
        EXCHANGE_EXPECT(w.size == kFrameSize && checkByteValid(w.bytes) && isRequest(w.bytes[0]));
        const auto payload = payloadOf(w.bytes);
        if (w.bytes[0] == kPollCommand) {
            // No polls while a command runs.
            EXCHANGE_EXPECT(w.mode == ExchangeMode::Idle);
            EXCHANGE_EXPECT(std::all_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b == 0; }));
        } else {
            EXCHANGE_EXPECT(w.mode != ExchangeMode::Idle && w.bytes[0] == w.command);
            if (w.mode == ExchangeMode::Read) {
                EXCHANGE_EXPECT(std::all_of(payload.begin(), payload.end(), [](std::uint8_t b) { return b == 0; }));
            } else {
                const auto block = set_.block(w.bytes[0] & kBlockMask);
                EXCHANGE_EXPECT(std::equal(block.begin(), block.end(), payload.begin()));
            }
        }
        unit_.answer(w, script_, *port_);
    }

    // A frame the exchange must take: valid telemetry, or a sealed answer to the step that
    // runs. Before a command's first send nothing can answer it, so what comes in then is as
    // foreign as a block answer while idle: not taken, and the watchdog keeps counting.
    bool validAnswerFor(const ScriptPort::Read& r) const {
        if (r.size < kFrameSize || !checkByteValid(r.head)) return false;
        if (r.head[0] == kTelemetryAnswer) return true;
        return r.mode != ExchangeMode::Idle && r.attempt > 0 && r.head[0] == (r.command ^ kAnswerBit) &&
               (r.command & kBlockMask) <= 1;
    }

    void tick() {
        if (ticks_ >= kMaxTicks) return;
        ++ticks_;
        unit_.release(*port_);
        const ParameterImage before = set_.image();
        const std::size_t readMark = port_->reads.size();
        const std::uint8_t countdownBefore = exchange_.messageCountdown();
        const std::uint8_t watchdogBefore = exchange_.watchdogCount();
        const long messagesBefore = messagesShown_;
        const long nestedBefore = nestedRuns_;
        const long editsBefore = edits_;
        writesAtDepth_[static_cast<std::size_t>(depth_)] = 0;

        ++inTick_;
        exchange_.onTimerTick();
        --inTick_;

        checkState();
        // One frame from inside an answer and one from the tick, no more.
        EXCHANGE_EXPECT(writesAtDepth_[static_cast<std::size_t>(depth_)] <= 2);
        EXCHANGE_EXPECT(exchange_.mode() == ExchangeMode::Idle ? exchange_.tickCount() < ExchangeTiming::kPollPeriod
                                                               : exchange_.tickCount() < ExchangeTiming::kResendPeriod);

        // Which frames the exchange took during this tick (modal loops inside it included).
        const ScriptPort::Read* header = nullptr;
        const ScriptPort::Read* parameters = nullptr;
        bool validFrame = false;
        for (std::size_t i = readMark; i < port_->reads.size(); ++i) {
            const ScriptPort::Read& r = port_->reads[i];
            if (r.size < kFrameSize || !checkByteValid(r.head)) continue;
            validFrame = validFrame || validAnswerFor(r);
            if (r.attempt == 0 && r.head[0] != kTelemetryAnswer) continue;
            if ((r.head[0] == (kProgramHeaderCommand | kAnswerBit) && r.mode == ExchangeMode::Program &&
                 r.command == kProgramHeaderCommand) ||
                (r.head[0] == (kReadHeaderCommand | kAnswerBit) && r.mode == ExchangeMode::Read &&
                 r.command == kReadHeaderCommand))
                header = &r;
            if (r.head[0] == (kReadParametersCommand | kAnswerBit) && r.mode == ExchangeMode::Read &&
                r.command == kReadParametersCommand)
                parameters = &r;
        }
        if (edits_ == editsBefore) {
            // The header only from a valid 0x80/0xC0 answer to the header step.
            const auto headerNow = set_.block(kHeaderBlock);
            if (!std::equal(headerNow.begin(), headerNow.end(), before.begin())) {
                EXCHANGE_EXPECT(header != nullptr);
                EXCHANGE_EXPECT(std::equal(headerNow.begin(), headerNow.end(), header->head.begin() + 1));
            }
            // The parameters only from a valid 0xC1 in Read mode, then validated.
            const auto blockNow = set_.block(kParameterBlock);
            if (!std::equal(blockNow.begin(), blockNow.end(), before.begin() + kBlockSize)) {
                EXCHANGE_EXPECT(parameters != nullptr);
                ParameterSet expected;
                expected.replaceImage(before);
                expected.replaceBlock(kParameterBlock, payloadOf(parameters->head).first<kBlockSize>());
                expected.validate();
                const auto e = expected.block(kParameterBlock);
                EXCHANGE_EXPECT(std::equal(blockNow.begin(), blockNow.end(), e.begin()));
            }
        }
        if (nestedRuns_ == nestedBefore) {
            // The watchdog is cleared by valid frames only, and by every one of them.
            const std::uint8_t counted = std::min<std::uint8_t>(watchdogBefore + 1, ExchangeTiming::kWatchdogLimit);
            if (validFrame)
                EXCHANGE_EXPECT(exchange_.watchdogCount() == 1);
            else
                EXCHANGE_EXPECT(exchange_.watchdogCount() == counted);
            if (messagesShown_ == messagesBefore && countdownBefore > 0)
                EXCHANGE_EXPECT(exchange_.messageCountdown() == countdownBefore - 1);
        }
        // Keep the records small; only the last read matters from here on.
        if (depth_ == 0 && port_->reads.size() > 1) port_->reads.erase(port_->reads.begin(), port_->reads.end() - 1);
        if (depth_ == 0) port_->writes.clear();
    }

    void checkState() const {
        const auto mode = static_cast<int>(exchange_.mode());
        EXCHANGE_EXPECT(mode >= 0 && mode <= 3);
        EXCHANGE_EXPECT(exchange_.attempt() <= ExchangeTiming::kSendsPerStep + 1);
        if (exchange_.mode() != ExchangeMode::Idle)
            EXCHANGE_EXPECT(exchange_.attempt() <= ExchangeTiming::kSendsPerStep);
        EXCHANGE_EXPECT(exchange_.messageCountdown() <= ExchangeTiming::kMessageLifetime);
        EXCHANGE_EXPECT(exchange_.watchdogCount() <= ExchangeTiming::kWatchdogLimit);
        EXCHANGE_EXPECT(exchange_.gauge() <= 3);
        EXCHANGE_EXPECT(exchange_.liveRow().row >= 0 && exchange_.liveRow().row < kCurvePoints);
    }

    // A frame made by the script: an answer byte and a payload to pick from, sealed or not,
    // delivered whole, behind junk, in two parts with a tick between, or twice.
    void craftedFrame() {
        const std::uint8_t kind = script_.byte();
        const std::uint8_t firsts[] = {static_cast<std::uint8_t>(exchange_.commandByte() ^ kAnswerBit),
                                       0x80,
                                       0x81,
                                       0xC0,
                                       0xC1,
                                       kTelemetryAnswer,
                                       script_.byte(),
                                       kPollCommand};
        ImageBlock payload{};
        switch ((kind >> 3) & 7) {
            case 0:
                payload = unit_.header;
                break;
            case 1:
                payload = toBlock(set_.block(kParameterBlock));
                break;
            case 2:
                payload = unit_.stored;
                break;
            case 3:
                break;
            case 4:
                payload = toBlock(script_.take(kBlockSize));
                break;
            case 5:
                payload = toBlock(set_.block(kHeaderBlock));
                break;
            case 6:
                payload = toBlock(set_.block(kParameterBlock));
                payload[kRpmPulsesInBlock] = script_.byte();
                break;
            case 7:
                payload = unitHeader(script_.byte(), script_.byte());
                break;
        }
        LinkFrame f = frameOf(firsts[kind & 7], payload);
        if (kind & 0x40) f[kFrameSize - 1] ^= static_cast<std::uint8_t>(1 + script_.byte() % 255);
        const std::uint8_t delivery = script_.byte();
        switch (delivery % 4) {
            case 0:
                port_->feed(f);
                break;
            case 1: {
                port_->feed(script_.take(1 + (delivery >> 2) % 16));
                port_->feed(f);
                break;
            }
            case 2: {
                const std::size_t cut = (delivery >> 2) % kFrameSize;
                port_->feed(std::span<const std::uint8_t>(f).first(cut));
                tick();
                port_->feed(std::span<const std::uint8_t>(f).subspan(cut));
                break;
            }
            case 3:
                port_->feed(f);
                port_->feed(f);
                break;
        }
    }

    void portEvent(int which) {
        switch (which % 8) {
            case 0:
                port_->unplugged = true;
                break;
            case 1:
                port_->unplugged = false;
                break;
            case 2:
                port_->shortNextRead = true;
                break;
            case 3:
                port_->failNextRead = true;
                break;
            case 4:
                port_->flush();
                break;
            case 5:
                link_.selectPort(1);
                break;
            case 6:
                link_.closePort();
                break;
            case 7:
                link_.openPort();
                break;
        }
    }

    void step() {
        const std::uint8_t op = script_.byte();
        const int arg = op >> 4;
        switch (op & 0x0F) {
            case 0:
                for (int i = 0; i <= arg; ++i) tick();
                break;
            case 1:
                for (int i = 0; i <= arg * 4; ++i) tick();
                break;
            case 2:
                port_->feed(script_.take(script_.byte()));
                break;
            case 3:
                craftedFrame();
                break;
            case 4:
                startCommand(1 + arg % 4);
                break;
            case 5:
                portEvent(arg);
                break;
            case 6:
                switch (arg % 4) {
                    case 0:
                        unit_.enabled = !unit_.enabled;
                        break;
                    case 1:
                        unit_.header[ImageByte::imageVersion] = script_.byte();
                        break;
                    case 2:
                        unit_.header[ImageByte::readAllowed] = script_.byte();
                        break;
                    case 3:
                        unit_.stored = toBlock(script_.take(kBlockSize));
                        break;
                }
                break;
            case 7:
                modalOps_ = arg * 2;
                break;
            case 8:
                printing_ = !printing_;
                break;
            case 9:
                exchange_.setMessageCountdown(
                    static_cast<std::uint8_t>(script_.byte() % (ExchangeTiming::kMessageLifetime + 1)));
                break;
            case 10: {
                // The operator edits a value (perhaps while a command runs), as the window does.
                const int at = kBlockSize + script_.byte() % kBlockSize;
                set_.setByte(at, script_.byte());
                set_.validate();
                ++edits_;
                break;
            }
            default:
                tick();
                break;
        }
    }

    Script& script_;
    ParameterSet set_;
    HeaderTexts headerTexts_;
    MessageTexts texts_;
    ScriptPort* port_;
    SerialLink link_;
    DeviceExchange exchange_;
    ScriptedUnit unit_;

    int depth_ = 0;
    int inTick_ = 0;
    int modalOps_ = 0;
    int ticks_ = 0;
    bool printing_ = false;
    long messagesShown_ = 0;
    long nestedRuns_ = 0;
    long edits_ = 0;
    std::array<int, kMaxDepth + 1> writesAtDepth_{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool language = [] {
        setCurrentLanguage(LanguageId::English);
        return true;
    }();
    (void)language;
    Script script(data, size);
    Harness harness(script);
    harness.run();
    return 0;
}
