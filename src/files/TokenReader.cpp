#include "files/TokenReader.h"

#include <algorithm>

TokenReader::TokenReader(QIODevice& in, qsizetype maxLength, Separators separators)
    : in_(in), maxLength_(maxLength), separators_(separators) {
    chunk_.resize(kChunkSize);
    token_.reserve(maxLength);
}

bool TokenReader::fill() {
    if (atEnd_) return false;
    const qint64 got = in_.read(chunk_.data(), chunk_.size());
    if (got <= 0) {
        atEnd_ = true;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<qsizetype>(got);
    return true;
}

bool TokenReader::next() {
    if (pushedBack_) {
        pushedBack_ = false;
        return true;
    }
    // truncate keeps the reserved buffer; clear() would free it and cost an allocation per token.
    token_.truncate(0);
    overlong_ = false;

    // Skip the separators before the token.
    for (;;) {
        if (pos_ == end_ && !fill()) return false;
        const char* data = chunk_.constData();
        while (pos_ < end_ && separates(data[pos_])) ++pos_;
        if (pos_ < end_) break;
    }
    // Collect up to the next separator or the end of the device, a chunk at a time.
    for (;;) {
        if (pos_ == end_ && !fill()) break;
        const char* data = chunk_.constData();
        const qsizetype start = pos_;
        while (pos_ < end_ && !separates(data[pos_])) ++pos_;
        const qsizetype room = maxLength_ - token_.size();
        const qsizetype length = pos_ - start;
        if (length > room) overlong_ = true;
        if (room > 0) token_.append(data + start, std::min(room, length));
        if (pos_ < end_) break;
    }
    return true;
}

std::optional<std::uint32_t> TokenReader::number() const {
    if (overlong_) return std::nullopt;
    return parseNumber(token_);
}

std::optional<std::uint32_t> TokenReader::parseNumber(QByteArrayView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10u + static_cast<std::uint32_t>(c - '0');  // unsigned: wraps modulo 2^32
    }
    return negative ? 0u - value : value;
}

std::optional<std::int64_t> TokenReader::wideNumber() const {
    if (overlong_) return std::nullopt;
    return parseWide(token_);
}

std::optional<std::int64_t> TokenReader::parseWide(QByteArrayView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(kWideLimit, value * 10 + (c - '0'));
    }
    return negative ? -value : value;
}
