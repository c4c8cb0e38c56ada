#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "FakePort.h"
#include "TestFrames.h"
#include "i18n/Language.h"
#include "i18n/MessageTexts.h"
#include "link/DeviceExchange.h"
#include "link/SerialLink.h"

// Every heap allocation of this executable is counted while counting is on: operator new
// and, since Qt's containers take their memory with malloc, the malloc family as well.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
void count() {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

// Sanitizer builds bring their own malloc; only operator new is counted there.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    count();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t align, std::size_t size) {
    count();
    return __libc_memalign(align, size);
}
void* memalign(std::size_t align, std::size_t size) {
    count();
    return __libc_memalign(align, size);
}
int posix_memalign(void** out, std::size_t align, std::size_t size) {
    count();
    void* p = __libc_memalign(align, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) { __libc_free(p); }
}
constexpr bool kMallocCounted = true;
#else
constexpr bool kMallocCounted = false;
#endif

namespace {
void* allocate(std::size_t size) {
    if (!kMallocCounted) count();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* allocateAligned(std::size_t size, std::align_val_t align) {
    if (!kMallocCounted) count();
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// A window that only counts, as the real one must on the tick path.
class CountingView : public ExchangeView {
public:
    long messages = 0, hides = 0, gauges = 0, boxes = 0, refreshes = 0, telemetry = 0, highlights = 0;
    long verifyOk = 0, failures = 0;
    const MessageTexts* texts = nullptr;
    QString lastText;  // shares the text, never copies it

    void showMessage(const QString& text, MessageColour colour) override {
        ++messages;
        lastText = text;
        if (text == texts->verifyOk) ++verifyOk;
        if (colour == MessageColour::Red) ++failures;
    }
    void hideMessage() override { ++hides; }
    void setGauge(int) override { ++gauges; }
    void setGaugeVisible(bool) override {}
    void setConnectionLabelVisible(bool) override {}
    void showMessageBox(const QString& text) override {
        ++boxes;
        lastText = text;
    }
    void refreshWindow() override { ++refreshes; }
    void clearFileLabel() override {}
    void showTelemetry(const TelemetryValues&) override { ++telemetry; }
    void highlightLiveRow(int, bool) override { ++highlights; }
    bool printView() const override { return false; }
};

// Answers from preset frames; feeding copies into the port's reserved queue.
struct Answers {
    FakePort* port = nullptr;
    LinkFrame telemetry{}, header{}, badVersionHeader{}, noReadHeader{}, parameters{}, echo{};
    bool silent = false;
    bool refuseRead = false;
    bool badVersion = false;

    void operator()(const FakePort::Write& w) {
        if (silent) return;
        switch (w.bytes[0]) {
            case kPollCommand:
                port->feed(telemetry);
                break;
            case kProgramHeaderCommand:
            case kReadHeaderCommand: {
                LinkFrame h = badVersion ? badVersionHeader : refuseRead ? noReadHeader : header;
                h[0] = static_cast<std::uint8_t>(w.bytes[0] | kAnswerBit);
                sealFrame(h);
                port->feed(h);
                break;
            }
            case kProgramParametersCommand:
                echo = w.bytes;
                echo[0] = 0x81;
                sealFrame(echo);
                parameters = echo;
                parameters[0] = 0xC1;
                sealFrame(parameters);
                port->feed(echo);
                break;
            case kReadParametersCommand:
                port->feed(parameters);
                break;
            default:
                break;
        }
    }
};

}  // namespace

class TestAlloc : public QObject {
    Q_OBJECT

private slots:
    void framePathAllocatesNothing();
};

void TestAlloc::framePathAllocatesNothing() {
    setCurrentLanguage(LanguageId::English);
    ParameterSet set;
    HeaderTexts header;
    MessageTexts texts;
    buildMessageTexts(texts);
    CountingView view;
    view.texts = &texts;
    auto* port = new FakePort;
    SerialLink link{std::unique_ptr<PortBackend>(port)};
    link.mapping().setExplicit(1, QStringLiteral("/dev/fake"));
    link.openPort();
    DeviceExchange exchange(set, header, link, texts, view);

    Answers answers;
    answers.port = port;
    TestFrames::Telemetry t;
    t.rpm = 3500;
    t.advanceMax = 30;
    answers.telemetry = TestFrames::telemetry(t);
    answers.header = TestFrames::frame(0x80, TestFrames::unitHeader());
    answers.badVersionHeader = TestFrames::frame(0x80, TestFrames::unitHeader(40));
    answers.noReadHeader = TestFrames::frame(0x80, TestFrames::unitHeader(41, 0));
    answers.parameters = TestFrames::frame(0xC1, set.block(kParameterBlock));
    // A pointer-sized capture fits std::function's own storage; set before counting starts.
    port->onWrite = [a = &answers](const FakePort::Write& w) { (*a)(w); };
    const LinkFrame stale = TestFrames::frame(0x81, set.block(kParameterBlock));
    const LinkFrame twoFrames[2] = {answers.telemetry, answers.telemetry};

    // The counter itself works: a fresh string's data and a new object are heap allocations.
    counting = true;
    const QString probe = QString::number(123456789);
    TelemetryValues* volatile object = new TelemetryValues;
    counting = false;
    QCOMPARE(probe.size(), 9);
    QCOMPARE(allocations.load(), kMallocCounted ? 2L : 1L);
    delete object;
    allocations = 0;

    counting = true;
    for (int i = 0; i < 3000; ++i) exchange.onTimerTick();  // idle: polls and telemetry
    port->feed(stale);                                      // a block answer while idle
    port->feed(std::span<const std::uint8_t>(twoFrames[0].data(), 2 * kFrameSize));
    for (int i = 0; i < 20; ++i) exchange.onTimerTick();
    for (int cycle = 0; cycle < 50; ++cycle) {
        exchange.startProgram();
        for (int i = 0; i < 12; ++i) exchange.onTimerTick();
        exchange.startRead();
        for (int i = 0; i < 12; ++i) exchange.onTimerTick();
        exchange.startVerify();
        for (int i = 0; i < 12; ++i) exchange.onTimerTick();
    }
    answers.refuseRead = true;
    exchange.startRead();
    for (int i = 0; i < 12; ++i) exchange.onTimerTick();
    answers.refuseRead = false;
    answers.badVersion = true;
    exchange.startProgram();
    for (int i = 0; i < 12; ++i) exchange.onTimerTick();
    answers.badVersion = false;
    answers.silent = true;
    exchange.startProgram();
    for (int i = 0; i < 250; ++i) exchange.onTimerTick();  // failure, countdown, watchdog
    counting = false;

    QCOMPARE(allocations.load(), 0L);
    // The run really went through every path.
    QCOMPARE(view.verifyOk, 150L);
    QVERIFY(view.telemetry > 400);
    QCOMPARE(view.boxes, 1L);
    QCOMPARE(view.failures, 2L);  // "No reading!" and the failed program
    QCOMPARE(view.refreshes, 50L * 2 + 2);
    QVERIFY(view.hides >= 1);
    QCOMPARE(view.highlights, 3000L + 20 + 50 * 36 + 12 + 12 + 250);
    QCOMPARE(exchange.mode(), ExchangeMode::Idle);
    QVERIFY(exchange.connectionLost());
}

QTEST_GUILESS_MAIN(TestAlloc)
#include "tst_alloc.moc"
