#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <cstdint>
#include <optional>

// Splits a device into whitespace-separated tokens, reading it in fixed chunks so that any
// file, however large or malformed, is read in bounded memory and in one pass. A token longer
// than the limit is read through to its end but only its first maxLength characters are kept;
// it is flagged overlong and must never be taken as a key or a number.
class TokenReader {
public:
    static constexpr qsizetype kChunkSize = 64 * 1024;

    TokenReader(QIODevice& in, qsizetype maxLength);

    // Moves to the next token; false at the end of the device.
    bool next();
    // The current token is handed out again by the following next().
    void pushBack() { pushedBack_ = true; }

    QByteArrayView token() const { return token_; }
    bool overlong() const { return overlong_; }
    // True when the current token is exactly text (never for an overlong token).
    bool is(QByteArrayView text) const { return !overlong_ && token_ == text; }
    // The current token as a number, see parseNumber; empty for an overlong token.
    std::optional<std::uint32_t> number() const;

    static bool isSeparator(char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    }
    // A decimal number with an optional sign and nothing else. The value is taken modulo 2^32,
    // a negative number as its two's complement, as an unsigned 32-bit read would.
    static std::optional<std::uint32_t> parseNumber(QByteArrayView text);

private:
    bool fill();

    QIODevice& in_;
    qsizetype maxLength_;
    QByteArray chunk_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool atEnd_ = false;
    QByteArray token_;
    bool overlong_ = false;
    bool pushedBack_ = false;
};
