// The header reader of the history list fed arbitrary bytes, as the first part of a file in
// the history folder. Beyond not crashing: what it gives is bounded as the writer bounds it
// and comes from the first kHeadBytes only; and a header the store writes for a set made of
// the input (any unit text and firmware bytes a unit may send) reads back to that set's texts.

#include "FuzzSupport.h"
#include "files/HistoryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QByteArray input = fuzzBytes(data, size);

    const auto entry = HistoryStore::parseHeader(input);
    if (entry) {
        const QByteArray head = input.left(HistoryStore::kHeadBytes);
        FUZZ_CHECK(head.contains(HistoryStore::kMarker));
        FUZZ_CHECK(head.contains("KIND"));
        FUZZ_CHECK(entry->unitText.size() <= HistoryStore::kMaxUnitText);
        FUZZ_CHECK(entry->firmware.size() <= HistoryStore::kMaxFirmware);
        if (entry->programmingCount) FUZZ_CHECK(*entry->programmingCount >= 0 && *entry->programmingCount <= 0xFFFF);
        FUZZ_CHECK(entry->path.isEmpty());
    }
    // Nothing past the first kHeadBytes counts.
    if (input.size() > HistoryStore::kHeadBytes) {
        const auto head = HistoryStore::parseHeader(input.left(HistoryStore::kHeadBytes));
        FUZZ_CHECK(head.has_value() == entry.has_value());
        if (head) {
            FUZZ_CHECK(head->unitText == entry->unitText && head->firmware == entry->firmware);
            FUZZ_CHECK(head->kind == entry->kind && head->programmingCount == entry->programmingCount);
        }
    }

    // The input as a unit's image: its texts survive the round trip whatever bytes they hold.
    ParameterSet set;
    for (int b = 0; b < kImageSize && b < static_cast<int>(size); ++b) set.setByte(b, data[b]);
    const int count = size > 0 ? data[0] * 256 + data[size - 1] : 0;
    const auto kinds = {HistoryKind::Read, HistoryKind::Programmed, HistoryKind::Backup};
    const HistoryKind kind = kinds.begin()[size % kinds.size()];
    const QDateTime when(QDate(2026, 12, 9), QTime(10, 0, 0, static_cast<int>(size % 1000)));
    const auto written = HistoryStore::parseHeader(HistoryStore::toBytes(kind, set, count, when));
    FUZZ_CHECK(written.has_value());
    FUZZ_CHECK(written->unitText == HistoryStore::unitText(set));
    FUZZ_CHECK(written->firmware == HistoryStore::firmware(set));
    FUZZ_CHECK(written->kind == kind);
    FUZZ_CHECK(written->programmingCount == std::optional<int>(count));
    FUZZ_CHECK(written->when == when);
    return 0;
}
