// Kills the process that saves each file of the tool at many points of the save and checks
// every time that the file on disk is the old or the new content, whole, never a mixture or a
// part of either.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <random>
#include <vector>

#include "ReliabilityReport.h"
#include "SaveKinds.h"

namespace {

constexpr int kWaitMs = 20000;  // bound on any single wait for the child

struct ChildExit {
    bool exited = false;  // true: exit code in code; false: killed by a signal
    int code = 0;
};

void sleepMicroseconds(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

// waitpid with a bound: true with the status once the child changed state.
bool waitChild(pid_t pid, int* status, int timeoutMs = kWaitMs) {
    QElapsedTimer timer;
    timer.start();
    long pause = 10;
    for (;;) {
        const pid_t r = ::waitpid(pid, status, WNOHANG | __WALL);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return false;
        if (timer.elapsed() > timeoutMs) return false;
        sleepMicroseconds(pause);
        pause = std::min(pause * 2, 1000L);
    }
}

// The writer helper as a child process. A child that is still there when this goes away is
// killed and reaped, whatever the test did in between.
class Writer {
public:
    Writer(SaveKind kind, const QString& path, const QList<QByteArray>& mode, bool pipeOut) {
        QList<QByteArray> args{QByteArray(VELMOR_WRITER_PATH), saveKindName(kind), QFile::encodeName(path)};
        args += mode;
        std::vector<char*> argv;
        for (QByteArray& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2] = {-1, -1};
        if (pipeOut && ::pipe2(fds, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            if (pipeOut) ::dup2(fds[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pipeOut) {
            ::close(fds[1]);
            out_ = fds[0];
        }
    }
    ~Writer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            waitChild(pid_, &status);
        }
        if (out_ >= 0) ::close(out_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    pid_t pid() const { return pid_; }

    // Waits for the byte the loop writes before it starts.
    bool waitReady() {
        pollfd p{out_, POLLIN, 0};
        char c = 0;
        return ::poll(&p, 1, kWaitMs) == 1 && ::read(out_, &c, 1) == 1;
    }

    // Kills the child (if still running) and reaps it.
    std::optional<ChildExit> kill() { return finish(true); }
    std::optional<ChildExit> wait() { return finish(false); }

private:
    std::optional<ChildExit> finish(bool killFirst) {
        if (pid_ <= 0) return std::nullopt;
        if (killFirst) ::kill(pid_, SIGKILL);
        int status = 0;
        for (;;) {
            if (!waitChild(pid_, &status)) return std::nullopt;
            if (WIFEXITED(status) || WIFSIGNALED(status)) break;
        }
        pid_ = -1;
        return ChildExit{WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status)};
    }

    pid_t pid_ = -1;
    int out_ = -1;
};

struct TracedRun {
    bool ok = false;        // the run went as asked (the trace worked, nothing timed out)
    bool finished = false;  // the save ran to its end before any kill
    int exitCode = -1;
    int stops = 0;  // system-call stops seen (entry and exit of each call)
    QByteArray error;
};

// Runs one traced save and kills it at system-call stop killAt (0: before its first call;
// negative: never), so that every boundary between two calls of the save can be hit exactly.
TracedRun runTraced(SaveKind kind, const QString& path, bool b, int killAt) {
    TracedRun run;
    Writer writer(kind, path, {"traced", b ? "b" : "a"}, false);
    if (writer.pid() <= 0) {
        run.error = "fork failed";
        return run;
    }
    const pid_t pid = writer.pid();
    int status = 0;
    if (!waitChild(pid, &status) || !WIFSTOPPED(status) || WSTOPSIG(status) != SIGSTOP) {
        run.error = "the writer did not stop for the trace (ptrace not permitted?)";
        return run;
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
    if (killAt == 0) {
        run.ok = writer.kill().has_value();
        return run;
    }
    long deliver = 0;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(deliver)) != 0) {
            run.error = "PTRACE_SYSCALL failed";
            return run;
        }
        deliver = 0;
        if (!waitChild(pid, &status)) {
            run.error = "the writer hung";
            return run;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            // Reaped here; tell the guard.
            const auto done = writer.wait();
            Q_UNUSED(done);
            run.ok = true;
            run.finished = true;
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return run;
        }
        if (!WIFSTOPPED(status)) continue;
        if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            if (++run.stops == killAt) {
                run.ok = writer.kill().has_value();
                return run;
            }
        } else {
            deliver = WSTOPSIG(status);
        }
    }
}

std::optional<QByteArray> fileBytes(const QString& path) {
    QFile f(path);
    if (!f.exists()) return std::nullopt;
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

bool putFile(const QString& path, const std::optional<QByteArray>& bytes) {
    if (!bytes) return !QFile::exists(path) || QFile::remove(path);
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(*bytes) == bytes->size();
}

// Removes whatever a killed save left beside the target (temporary files); returns how many.
int removeLeftovers(const QString& folder, const QString& target) {
    int count = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name == target) continue;
        ++count;
        QFile::remove(dir.filePath(name));
    }
    return count;
}

QByteArray describe(const std::optional<QByteArray>& bytes) {
    if (!bytes) return "no file";
    return QByteArray::number(bytes->size()) + " bytes starting " + bytes->left(40).toPercentEncoding(" =");
}

}  // namespace

class TestCrashSafe : public QObject {
    Q_OBJECT

private slots:
    void killAtEverySystemCall_data();
    void killAtEverySystemCall();
    void killAtRandomMoments_data();
    void killAtRandomMoments();
};

void TestCrashSafe::killAtEverySystemCall_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("overOld");
    for (SaveKind kind : {SaveKind::Ign, SaveKind::Settings, SaveKind::Image}) {
        const QByteArray name = saveKindName(kind);
        QTest::newRow(name + " over old") << int(kind) << true;
        QTest::newRow(name + " first save") << int(kind) << false;
    }
}

void TestCrashSafe::killAtEverySystemCall() {
    QFETCH(int, kind);
    QFETCH(bool, overOld);
    const auto k = static_cast<SaveKind>(kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QString::fromLatin1(saveKindFileName(k));
    const QString path = dir.filePath(name);

    const std::optional<QByteArray> before =
        overOld ? std::optional<QByteArray>(versionBytes(k, false, settingsBase())) : std::nullopt;
    const QByteArray after = versionBytes(k, true, before.value_or(QByteArray()));
    QVERIFY(!before || *before != after);

    // One whole save first: it must work, and it tells how many stops there are to kill at.
    QVERIFY(putFile(path, before));
    const TracedRun whole = runTraced(k, path, true, -1);
    if (!whole.ok && whole.error.contains("ptrace")) QSKIP(whole.error.constData());
    QVERIFY2(whole.ok, whole.error.constData());
    QVERIFY(whole.finished);
    QCOMPARE(whole.exitCode, 0);
    QCOMPARE(fileBytes(path), std::optional<QByteArray>(after));
    QVERIFY(whole.stops > 4);

    int failures = 0;
    int oldSeen = 0;
    int newSeen = 0;
    int leftovers = 0;
    QByteArray firstFailure;
    // Past the last stop the save simply finishes, which must leave the new file.
    for (int killAt = 0; killAt <= whole.stops + 1; ++killAt) {
        QVERIFY(putFile(path, before));
        const TracedRun run = runTraced(k, path, true, killAt);
        QVERIFY2(run.ok, run.error.constData());
        if (run.finished) QCOMPARE(run.exitCode, 0);
        const auto now = fileBytes(path);
        if (now == before) {
            ++oldSeen;
        } else if (now == after) {
            ++newSeen;
        } else {
            if (failures++ == 0) firstFailure = "kill at stop " + QByteArray::number(killAt) + ": " + describe(now);
        }
        leftovers += removeLeftovers(dir.path(), name);
    }

    // A save after all those kills still works.
    QVERIFY(putFile(path, before));
    QVERIFY(saveVersion(k, path, true));
    QCOMPARE(fileBytes(path), std::optional<QByteArray>(after));

    const int runs = whole.stops + 2;
    reportReliability(QByteArray("crash-syscall-") + saveKindName(k) + (overOld ? "-over-old" : "-first"), runs,
                      failures,
                      QByteArray::number(runs) + " kill points: old " + QByteArray::number(oldSeen) + ", new " +
                          QByteArray::number(newSeen) + ", temp files left " + QByteArray::number(leftovers));
    QVERIFY2(failures == 0, firstFailure.constData());
    // The kill points span the moment the new file takes the old one's place.
    QVERIFY(oldSeen > 0);
    QVERIFY(newSeen > 0);
}

void TestCrashSafe::killAtRandomMoments_data() {
    QTest::addColumn<int>("kind");
    for (SaveKind kind : {SaveKind::Ign, SaveKind::Settings, SaveKind::Image})
        QTest::newRow(saveKindName(kind)) << int(kind);
}

void TestCrashSafe::killAtRandomMoments() {
    QFETCH(int, kind);
    const auto k = static_cast<SaveKind>(kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QString::fromLatin1(saveKindFileName(k));
    const QString path = dir.filePath(name);

    // The writer alternates b and a; for the settings file each must turn the other back.
    const QByteArray a = versionBytes(k, false, settingsBase());
    const QByteArray b = versionBytes(k, true, a);
    QCOMPARE(versionBytes(k, false, b), a);
    QVERIFY(putFile(path, a));

    // Kill moments spread evenly, with some jitter, over many saves however long a save takes
    // here (fsync on a slow disk, a sanitizer build): the slowest of a few saves measured in
    // this process, with room for a child that is slower at its first save.
    qint64 saveUs = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saveVersion(k, path, i % 2 == 0));
        saveUs = std::max(saveUs, timer.nsecsElapsed() / 1000);
    }
    const long spreadUs = static_cast<long>(8 * saveUs + 3000);

    const int kills = fullReliabilityRun() ? 200 : 40;
    const long stepUs = spreadUs / kills;
    std::mt19937 random(20240 + kind);
    std::uniform_int_distribution<long> jitterUs(0, stepUs);
    int failures = 0;
    int aSeen = 0;
    int bSeen = 0;
    QByteArray firstFailure;
    for (int i = 0; i < kills; ++i) {
        // Every kill starts from a, so that each one shows where in the loop it fell.
        QVERIFY(putFile(path, a));
        Writer writer(k, path, {"loop"}, true);
        QVERIFY(writer.pid() > 0);
        QVERIFY(writer.waitReady());
        sleepMicroseconds(i * stepUs + jitterUs(random));
        const auto end = writer.kill();
        QVERIFY(end.has_value());
        QVERIFY(!end->exited);
        const auto now = fileBytes(path);
        if (now == a) {
            ++aSeen;
        } else if (now == b) {
            ++bSeen;
        } else if (failures++ == 0) {
            firstFailure = "kill " + QByteArray::number(i) + ": " + describe(now);
        }
        removeLeftovers(dir.path(), name);
    }
    reportReliability(QByteArray("crash-timed-") + saveKindName(k), kills, failures,
                      QByteArray::number(kills) + " kills over " + QByteArray::number(spreadUs / 1000.0, 'f', 1) +
                          " ms (save " + QByteArray::number(saveUs / 1000.0, 'f', 1) + " ms): a " +
                          QByteArray::number(aSeen) + ", b " + QByteArray::number(bSeen));
    QVERIFY2(failures == 0, firstFailure.constData());
    // Both versions were seen: the kills fell before the first replacement and after it.
    QVERIFY(aSeen > 0);
    QVERIFY(bSeen > 0);
}

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "tst_crashsafe.moc"
