// The parameter-file reader fed arbitrary bytes. Beyond not crashing it must read the same
// whether the bytes come in one piece or in many, never touch the header or the spare bytes,
// leave the set alone when it refuses the file, and read back what its own writer made of the
// result.

#include <QBuffer>

#include "FuzzSupport.h"
#include "files/ParameterFile.h"

namespace {

// Every byte distinct from the defaults, so a stray write anywhere shows.
ParameterSet startSet(int salt) {
    ParameterSet set;
    for (int b = 0; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>(b * 7 + salt));
    return set;
}

bool readFrom(QIODevice& in, ParameterSet& set) { return ParameterFile::read(in, set); }

bool readBytes(const QByteArray& bytes, ParameterSet& set) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFrom(buffer, set);
}

bool fromFile(int b) { return b >= kBlockSize && b != 57 && b != 58 && b != 68 && b != 69; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);
    const ParameterSet start = startSet(3);

    ParameterSet whole = start;
    const bool accepted = readBytes(input, whole);

    ParameterSet pieces = start;
    TrickleDevice trickle(input, static_cast<unsigned>(size));
    FUZZ_CHECK(readFrom(trickle, pieces) == accepted);
    FUZZ_CHECK(pieces.image() == whole.image());

    for (int b = 0; b < kImageSize; ++b)
        if (!accepted || !fromFile(b)) FUZZ_CHECK(whole.byte(b) == start.byte(b));
    if (!accepted) return 0;

    // What the writer makes of the result reads back as the same fields (the read-protection
    // byte as 0 or 1), over a set that differs everywhere.
    const QByteArray written = ParameterFile::toBytes(whole);
    ParameterSet back = startSet(101);
    FUZZ_CHECK(readBytes(written, back));
    for (int b = 0; b < kImageSize; ++b) {
        if (!fromFile(b))
            FUZZ_CHECK(back.byte(b) == startSet(101).byte(b));
        else if (b == ImageByte::noReading)
            FUZZ_CHECK(back.byte(b) == (whole.byte(b) != 0 ? 1 : 0));
        else
            FUZZ_CHECK(back.byte(b) == whole.byte(b));
    }
    return 0;
}
