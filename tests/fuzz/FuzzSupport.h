#pragma once

// Shared by the fuzz targets: a check that stops the run where a sanitizer would, and a device
// that hands out its bytes in small, varying pieces so that readers meet every split of the
// input between reads.

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Not assert(): it must also stop release builds. abort() is what libFuzzer reports as a crash.
#define FUZZ_CHECK(condition)                                                                         \
    do {                                                                                              \
        if (!(condition)) {                                                                           \
            std::fprintf(stderr, "fuzz check failed: %s at %s:%d\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                             \
        }                                                                                             \
    } while (false)

// A read-only sequential device over a byte array whose reads return at most a few bytes, the
// piece sizes cycling through a pattern picked by seed.
class TrickleDevice : public QIODevice {
public:
    TrickleDevice(const QByteArray& bytes, unsigned seed) : bytes_(bytes), seed_(seed) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (pos_ >= bytes_.size()) return -1;
        static constexpr qint64 kPieces[] = {1, 2, 3, 5, 7, 11, 64, 255, 256, 262, 1000};
        constexpr std::size_t count = sizeof kPieces / sizeof kPieces[0];
        const qint64 piece = kPieces[(seed_ + calls_++) % count];
        const qint64 n = std::min({piece, maxSize, bytes_.size() - pos_});
        std::memcpy(data, bytes_.constData() + pos_, static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    unsigned seed_;
    unsigned calls_ = 0;
    qint64 pos_ = 0;
};

// Bytes as a QByteArray without copying; the fuzzer's buffer outlives the call.
inline QByteArray fuzzBytes(const unsigned char* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The separators of every reader of the tool's text files.
inline bool isBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
