#include "files/TokenReader.h"

TokenReader::TokenReader(QIODevice& in, qsizetype maxLength) : in_(in), maxLength_(maxLength) {
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
    token_.clear();
    overlong_ = false;

    // Skip the separators before the token.
    for (;;) {
        if (pos_ == end_ && !fill()) return false;
        if (!isSeparator(chunk_[pos_])) break;
        ++pos_;
    }
    // Collect up to the next separator or the end of the device.
    for (;;) {
        if (pos_ == end_ && !fill()) break;
        const char c = chunk_[pos_];
        if (isSeparator(c)) break;
        if (token_.size() < maxLength_)
            token_.append(c);
        else
            overlong_ = true;
        ++pos_;
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
