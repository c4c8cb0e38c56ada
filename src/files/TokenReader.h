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

    // The parameter file separates its tokens by blanks, tabs, CR and LF only; the working
    // image and the marker by any white space (vertical tab and form feed too).
    enum class Separators { WhiteSpace, BlanksAndLineEnds };

    TokenReader(QIODevice& in, qsizetype maxLength, Separators separators = Separators::WhiteSpace);

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

    static bool isBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool isSeparator(char c) { return isBlankOrLineEnd(c) || c == '\v' || c == '\f'; }
    // A decimal number with an optional sign and nothing else. The value is taken modulo 2^32,
    // a negative number as its two's complement, as an unsigned 32-bit read would.
    static std::optional<std::uint32_t> parseNumber(QByteArrayView text);
    // The same number as it is written, signed and unwrapped; a magnitude beyond
    // kWideLimit reads as kWideLimit, which is out of every byte's range all the same.
    static constexpr std::int64_t kWideLimit = std::int64_t{1} << 40;
    static std::optional<std::int64_t> parseWide(QByteArrayView text);
    std::optional<std::int64_t> wideNumber() const;

private:
    bool fill();
    bool separates(char c) const {
        return separators_ == Separators::BlanksAndLineEnds ? isBlankOrLineEnd(c) : isSeparator(c);
    }

    QIODevice& in_;
    qsizetype maxLength_;
    Separators separators_;
    QByteArray chunk_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool atEnd_ = false;
    QByteArray token_;
    bool overlong_ = false;
    bool pushedBack_ = false;
};
