// The working-image reader fed arbitrary bytes, checked against a plain reading of the rules:
// up to 100 whitespace-separated decimal numbers go to bytes 0, 1, 2 ... as their low 8 bits,
// the first token that is no number ends the load, and every byte after it keeps its value.

#include <QBuffer>
#include <vector>

#include "FuzzSupport.h"
#include "files/TokenReader.h"
#include "files/WorkingImageFile.h"

namespace {

ParameterSet startSet(int salt) {
    ParameterSet set;
    for (int b = 0; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>(b * 13 + salt));
    return set;
}

int readBytes(const QByteArray& bytes, ParameterSet& set) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return WorkingImageFile::read(buffer, set);
}

// The numbers the rules take from the input, in order.
std::vector<std::uint8_t> expectedBytes(const QByteArray& input) {
    std::vector<std::uint8_t> bytes;
    qsizetype i = 0;
    while (i < input.size() && bytes.size() < std::size_t(kImageSize)) {
        while (i < input.size() && isBlankByte(input[i])) ++i;
        const qsizetype start = i;
        while (i < input.size() && !isBlankByte(input[i])) ++i;
        if (i == start) break;
        const QByteArrayView token = QByteArrayView(input).sliced(start, i - start);
        // A token longer than the reader keeps can be no number, digits or not.
        if (token.size() > WorkingImageFile::kMaxToken) break;
        const auto number = TokenReader::parseNumber(token);
        if (!number) break;
        bytes.push_back(static_cast<std::uint8_t>(*number & 0xFFu));
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);
    const ParameterSet start = startSet(5);

    ParameterSet whole = start;
    const int count = readBytes(input, whole);

    ParameterSet pieces = start;
    TrickleDevice trickle(input, static_cast<unsigned>(size));
    FUZZ_CHECK(WorkingImageFile::read(trickle, pieces) == count);
    FUZZ_CHECK(pieces.image() == whole.image());

    const std::vector<std::uint8_t> expected = expectedBytes(input);
    FUZZ_CHECK(count == static_cast<int>(expected.size()));
    for (int b = 0; b < kImageSize; ++b)
        FUZZ_CHECK(whole.byte(b) == (b < count ? expected[std::size_t(b)] : start.byte(b)));

    // The writer's output of any image is 620 bytes and reads back whole.
    const QByteArray written = WorkingImageFile::toBytes(whole);
    FUZZ_CHECK(written.size() == 620);
    ParameterSet back = startSet(77);
    FUZZ_CHECK(readBytes(written, back) == kImageSize);
    FUZZ_CHECK(back.image() == whole.image());
    return 0;
}
