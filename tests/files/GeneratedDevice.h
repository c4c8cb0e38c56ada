#pragma once

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstring>

// A read-only sequential device that yields a prefix, then a pattern repeated up to a total
// size, then a suffix, without ever holding the whole content: it stands in for a huge file.
class GeneratedDevice : public QIODevice {
public:
    GeneratedDevice(QByteArray prefix, QByteArray pattern, qint64 patternBytes, QByteArray suffix)
        : prefix_(std::move(prefix)),
          pattern_(std::move(pattern)),
          patternBytes_(patternBytes),
          suffix_(std::move(suffix)) {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    qint64 delivered() const { return pos_; }
    qint64 total() const { return prefix_.size() + patternBytes_ + suffix_.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (pos_ >= total()) return -1;
        qint64 n = 0;
        while (n < maxSize && pos_ < total()) {
            const qint64 step = copyFrom(pos_, data + n, maxSize - n);
            n += step;
            pos_ += step;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    // Copies a run of bytes from one of the three parts, starting at offset p.
    qint64 copyFrom(qint64 p, char* out, qint64 room) const {
        const char* src;
        qint64 available;
        if (p < prefix_.size()) {
            src = prefix_.constData() + p;
            available = prefix_.size() - p;
        } else if (p < prefix_.size() + patternBytes_) {
            const qint64 inPattern = p - prefix_.size();
            const qint64 offset = inPattern % pattern_.size();
            src = pattern_.constData() + offset;
            available = std::min(pattern_.size() - offset, patternBytes_ - inPattern);
        } else {
            const qint64 offset = p - prefix_.size() - patternBytes_;
            src = suffix_.constData() + offset;
            available = suffix_.size() - offset;
        }
        const qint64 n = std::min(available, room);
        std::memcpy(out, src, static_cast<std::size_t>(n));
        return n;
    }

    QByteArray prefix_;
    QByteArray pattern_;
    qint64 patternBytes_;
    QByteArray suffix_;
    qint64 pos_ = 0;
};
