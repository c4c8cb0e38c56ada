// The test-mode marker reader fed arbitrary bytes: on exactly when one whitespace-separated
// token is "DIAG_SWITCH", whatever the pieces the bytes arrive in.

#include <QBuffer>

#include "FuzzSupport.h"
#include "files/TestMarker.h"

namespace {

bool expectedOn(const QByteArray& input) {
    const QByteArrayView word(TestMarker::kToken);
    qsizetype i = 0;
    while (i < input.size()) {
        while (i < input.size() && isBlankByte(input[i])) ++i;
        const qsizetype start = i;
        while (i < input.size() && !isBlankByte(input[i])) ++i;
        if (QByteArrayView(input).sliced(start, i - start) == word) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);

    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    const bool on = TestMarker::contains(buffer);

    TrickleDevice trickle(input, static_cast<unsigned>(size));
    FUZZ_CHECK(TestMarker::contains(trickle) == on);
    FUZZ_CHECK(on == expectedOn(input));
    return 0;
}
