#pragma once

#include <QString>
#include <QStringList>

// The size of a reliability run, from the command line, before Qt Test sees it:
//   --cycles N        Program-and-verify cycles per soak profile
//   --tick-ms T       the timer interval the tool ticks with (55 in the product)
//   --profile NAME    a soak profile of velmor-unit-sim; repeatable (loss5, loss20)
//   --seed S          seed of the window's blocks and of the line's faults
//   --repeat N        runs of each unplug case
//   --line-time       model the line's time in the simulator (off unless given)
//   --sim-log PATH    the simulator logs every frame to PATH
//   --full            the full run: 1000 cycles of loss5 and loss20 at 55 ms, the line
//                     modelled, 10 runs of each unplug case; also VELMOR_RELIABILITY_FULL=1
// Without any of them the run is short enough for every test run.
struct ReliabilityOptions {
    int cycles = 30;
    int tickMs = 25;
    QStringList profiles;  // empty: the default profiles of the test
    quint32 seed = 1;
    int repeat = 1;
    bool lineTime = false;
    bool full = false;
    QString simLog;
    QString error;

    // Takes the options above out of args (args[0] is the program) and leaves the rest.
    static ReliabilityOptions take(QStringList& args);
};

// One row of the reliability table on standard output: "RELIABILITY|name|runs|failures|figure".
void printReliabilityRow(const QString& name, long runs, long failures, const QString& figure);
