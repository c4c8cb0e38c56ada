// Child process of the crash-safety test: saves one of the tool's files through the real saver
// and is killed by the test at some point of it.
//
//   reliability_files_writer <ign|settings|image> <path> traced <a|b>
//       Asks to be traced, stops itself, then saves version a or b once, so that the tracer
//       can count the system calls of the save and kill it before any of them.
//   reliability_files_writer <ign|settings|image> <path> loop
//       Writes one byte to stdout, then saves versions b, a, b, a ... until it is killed.
//   reliability_files_writer <ign|settings|image> <path> once <a|b>
//       Saves once; the exit code tells whether the save succeeded.

#include <signal.h>
#include <sys/ptrace.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <cstring>

#include "SaveKinds.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <ign|settings|image> <path> <traced|loop|once> [a|b]\n", argv[0]);
        return 2;
    }
    const auto kind = saveKindNamed(QString::fromLocal8Bit(argv[1]));
    const QString path = QString::fromLocal8Bit(argv[2]);
    const char* mode = argv[3];
    const bool b = argc > 4 && std::strcmp(argv[4], "b") == 0;
    if (!kind) return 2;

    if (std::strcmp(mode, "loop") == 0) {
        if (::write(STDOUT_FILENO, "R", 1) != 1) return 3;
        for (bool next = true;; next = !next) saveVersion(*kind, path, next);
    }
    if (std::strcmp(mode, "traced") == 0) {
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) return 4;
        ::raise(SIGSTOP);
        const bool ok = saveVersion(*kind, path, b);
        // Straight out: no exit handlers (a leak checker would try to trace this process).
        ::_exit(ok ? 0 : 1);
    }
    if (std::strcmp(mode, "once") == 0) return saveVersion(*kind, path, b) ? 0 : 1;
    return 2;
}
