// The history-file reader fed arbitrary bytes. Beyond not crashing: it reads the same whether
// the bytes come in one piece or in many; a refused file leaves the set alone; the range step
// leaves every field a window control offers inside that control's range, touches nothing
// else, names every field it changed; and what the store writes of the result opens back to
// exactly that set, with nothing out of range.

#include <QBuffer>

#include "FuzzSupport.h"
#include "files/HistoryStore.h"
#include "files/ParameterFile.h"
#include "model/FieldRanges.h"

namespace {

// Every byte distinct from the defaults, so a stray write anywhere shows.
ParameterSet startSet(int salt) {
    ParameterSet set;
    for (int b = 0; b < kImageSize; ++b) set.setByte(b, static_cast<std::uint8_t>(b * 11 + salt));
    return set;
}

bool readBytes(const QByteArray& bytes, ParameterSet& set, QStringList* keys) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return keys ? HistoryStore::readInRange(buffer, set, keys) : HistoryStore::read(buffer, set);
}

// The keys in the order the parameter-file writer puts them.
int writerPosition(const QString& key) {
    static const QByteArray written = ParameterFile::toBytes(ParameterSet());
    return static_cast<int>(written.indexOf("\r\n" + key.toLatin1() + ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);
    const ParameterSet start = startSet(5);

    ParameterSet raw = start;
    const bool accepted = readBytes(input, raw, nullptr);

    ParameterSet pieces = start;
    TrickleDevice trickle(input, static_cast<unsigned>(size));
    FUZZ_CHECK(HistoryStore::read(trickle, pieces) == accepted);
    FUZZ_CHECK(pieces.image() == raw.image());

    ParameterSet ranged = start;
    QStringList keys;
    FUZZ_CHECK(readBytes(input, ranged, &keys) == accepted);
    if (!accepted) {
        FUZZ_CHECK(raw.image() == start.image());
        FUZZ_CHECK(ranged.image() == start.image());
        return 0;
    }

    for (int b = 0; b < kImageSize; ++b) {
        const auto range = FieldRanges::codeRange(b);
        // The header, the spare bytes and the keying type are the plain reader's.
        if (b < kBlockSize || !range) {
            FUZZ_CHECK(ranged.byte(b) == raw.byte(b));
            continue;
        }
        FUZZ_CHECK(ranged.byte(b) >= range->low && ranged.byte(b) <= range->high);
        if (ranged.byte(b) != raw.byte(b)) FUZZ_CHECK(keys.contains(QString::fromLatin1(ParameterFile::keyOf(b))));
    }
    // Known keys, each once, in the writer's order.
    for (qsizetype i = 0; i < keys.size(); ++i) {
        FUZZ_CHECK(writerPosition(keys[i]) >= 0);
        if (i > 0) FUZZ_CHECK(writerPosition(keys[i - 1]) < writerPosition(keys[i]));
    }

    // Kept again, the set opens back byte for byte over a set that differs everywhere.
    const QDateTime when(QDate(2026, 12, 9), QTime(10, 0));
    const QByteArray kept = HistoryStore::toBytes(HistoryKind::Programmed, ranged, 3, when);
    ParameterSet back = startSet(77);
    QStringList again{"stale"};
    FUZZ_CHECK(readBytes(kept, back, &again));
    FUZZ_CHECK(back.image() == ranged.image());
    FUZZ_CHECK(again.isEmpty());
    return 0;
}
