// The timer path of the device link: one idle tick, decoding a telemetry frame, and a block
// answer through dispatchReceived, all against an in-memory port and a window that only counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "AllocationCounter.h"
#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/SerialLink.h"
#include "link/Telemetry.h"

namespace {

LinkFrame sealed(std::uint8_t first, std::span<const std::uint8_t> payload = {}) {
    LinkFrame f{};
    f[0] = first;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    sealFrame(f);
    return f;
}

LinkFrame telemetryFrame() {
    LinkFrame f{};
    f[0] = kTelemetryAnswer;
    f[1] = 0xAC;  // 3500 rpm
    f[2] = 0x0D;
    f[3] = 0xE8;  // 13800 mV
    f[4] = 0x35;
    f[31] = 125;
    f[32] = 30;
    f[34] = 1;
    f[42] = 1;
    sealFrame(f);
    return f;
}

// Answers every poll with a telemetry frame, as a connected unit does.
class AnsweringPort : public PortBackend {
public:
    bool open(const QString&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override { return waiting_; }
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override {
        const std::int64_t n = std::min(max, waiting_);
        std::memcpy(buffer, answer_.data(), static_cast<std::size_t>(n));
        waiting_ = 0;
        return n;
    }
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override {
        if (data[0] == kPollCommand) waiting_ = kFrameSize;
        return size;
    }
    void drain() override {}

private:
    LinkFrame answer_ = telemetryFrame();
    std::int64_t waiting_ = 0;
    bool open_ = false;
};

class CountingView : public ExchangeView {
public:
    long calls = 0;
    void showMessage(const QString&, MessageColour) override { ++calls; }
    void hideMessage() override { ++calls; }
    void setGauge(int) override { ++calls; }
    void setGaugeVisible(bool) override { ++calls; }
    void setConnectionLabelVisible(bool) override { ++calls; }
    void showMessageBox(const QString&) override { ++calls; }
    void refreshWindow() override { ++calls; }
    void clearFileLabel() override { ++calls; }
    void showTelemetry(const TelemetryValues&) override { ++calls; }
    void highlightLiveRow(int, bool) override { ++calls; }
    bool printView() const override { return false; }
};

struct Setup {
    ParameterSet set;
    HeaderTexts header;
    MessageTexts texts;
    CountingView view;
    SerialLink link{std::make_unique<AnsweringPort>()};
    DeviceExchange exchange{set, header, link, texts, view};

    Setup() {
        setCurrentLanguage(LanguageId::English);
        buildMessageTexts(texts);
        set.setCurvePointCount(15);
        link.mapping().setExplicit(1, QStringLiteral("bench"));
        link.openPort();
    }
};

// Heap allocations per iteration, as a counter beside the time.
void countAllocations(benchmark::State& state, std::int64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(AllocationCounter::total() - before),
                                                  benchmark::Counter::kAvgIterations);
}

// Every sixth tick polls and the tick after it decodes the answer, so the average covers the
// whole idle cycle.
void BM_IdleTick(benchmark::State& state) {
    Setup s;
    for (int i = 0; i < 12; ++i) s.exchange.onTimerTick();
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) s.exchange.onTimerTick();
    countAllocations(state, before);
    benchmark::DoNotOptimize(s.view.calls);
}
BENCHMARK(BM_IdleTick);

void BM_DecodeTelemetry(benchmark::State& state) {
    ParameterSet set;
    const LinkFrame frame = telemetryFrame();
    TelemetryValues values;
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeTelemetry(frame, set, values));
        benchmark::ClobberMemory();
    }
    countAllocations(state, before);
}
BENCHMARK(BM_DecodeTelemetry);

// A verify answer that matches: compare, success texts, back to idle.
void BM_BlockAnswerVerifyOk(benchmark::State& state) {
    Setup s;
    const LinkFrame answer = sealed(0xC1, s.set.block(kParameterBlock));
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) {
        s.exchange.startVerify();
        s.exchange.dispatchReceived(answer);
    }
    countAllocations(state, before);
    if (s.exchange.mode() != ExchangeMode::Idle) state.SkipWithError("verify did not complete");
}
BENCHMARK(BM_BlockAnswerVerifyOk);

// A programming echo that differs in its last byte: the whole compare, then ignored.
void BM_BlockAnswerEchoMismatch(benchmark::State& state) {
    Setup s;
    ImageBlock echo{};
    std::copy(s.set.block(kParameterBlock).begin(), s.set.block(kParameterBlock).end(), echo.begin());
    echo[kBlockSize - 1] ^= 1;
    // Program/header answered, so the exchange waits for the echo of block 1.
    ImageBlock unitHeader{};
    unitHeader[ImageByte::imageVersion] = kImageVersion;
    s.exchange.startProgram();
    s.exchange.dispatchReceived(sealed(0x80, unitHeader));
    const LinkFrame answer = sealed(0x81, echo);
    const std::int64_t before = AllocationCounter::total();
    for (auto _ : state) s.exchange.dispatchReceived(answer);
    countAllocations(state, before);
    if (s.exchange.commandByte() != kProgramParametersCommand) state.SkipWithError("not waiting for the echo");
}
BENCHMARK(BM_BlockAnswerEchoMismatch);

// The window's side of a frame: the label texts (allowed to allocate, off the frame path).
void BM_TelemetryTexts(benchmark::State& state) {
    ParameterSet set;
    TelemetryValues values;
    decodeTelemetry(telemetryFrame(), set, values);
    MessageTexts texts;
    buildMessageTexts(texts);
    for (auto _ : state) benchmark::DoNotOptimize(telemetryTexts(values, texts));
}
BENCHMARK(BM_TelemetryTexts);

}  // namespace

BENCHMARK_MAIN();
