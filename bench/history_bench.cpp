// The set history: what keeping the set of a Program adds to the command (the file written
// and flushed through FileSaver, and the pruning of a full folder), and opening the History
// window on a folder of 1000 files. Wall time: the disk's waits are the point. Times are in
// nanoseconds (the csv's real_time); scripts/bench shows milliseconds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files/HistoryStore.h"
#include "ui/HistoryWindow.h"

namespace {

QString folder;

ParameterSet unitSet() {
    ParameterSet set;
    const char letters[] = "VLM";
    for (int i = 0; i < 3; ++i) set.setByte(ImageByte::firmwareLetters + i, static_cast<std::uint8_t>(letters[i]));
    set.setByte(ImageByte::firmwareNumber, 12);
    return set;
}

// A full folder: kKeep files, one minute apart, as a year of work leaves it.
bool fillFolder() {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QDateTime first(QDate(2025, 1, 1), QTime(8, 0));
    for (int i = 0; i < HistoryStore::kKeep; ++i) {
        const QDateTime when = first.addSecs(60 * i);
        const HistoryKind kind = i % 3 == 0 ? HistoryKind::Backup : HistoryKind::Programmed;
        QFile file(folder + "/" + when.toString("yyyyMMdd-HHmmss-zzz") + "_" + HistoryStore::kindWord(kind) +
                   "_VLM12.ign");
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(HistoryStore::toBytes(kind, unitSet(), i, when));
    }
    return true;
}

void BM_HistoryKeepProgram(benchmark::State& state) {
    if (!fillFolder()) state.SkipWithError("cannot fill the history folder");
    HistoryStore store(folder);
    const ParameterSet set = unitSet();
    QDateTime when(QDate(2026, 1, 1), QTime(8, 0));
    for (auto _ : state) {
        when = when.addSecs(1);
        if (store.add(HistoryKind::Programmed, set, 5, when).isEmpty()) state.SkipWithError("not written");
    }
}
BENCHMARK(BM_HistoryKeepProgram)->UseRealTime();

void BM_HistoryWindowOpen1000(benchmark::State& state) {
    if (!fillFolder()) state.SkipWithError("cannot fill the history folder");
    const HistoryStore store(folder);
    for (auto _ : state) {
        HistoryWindow window([](const QString&) {}, [](const QString&) {});
        window.reload(store);
        window.show();
        QApplication::processEvents();  // the first paint
        if (window.entries().size() != HistoryStore::kKeep) state.SkipWithError("files missing");
    }
}
BENCHMARK(BM_HistoryWindowOpen1000)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    folder = dir.path() + "/history";
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
