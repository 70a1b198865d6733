#pragma once

// Helper programs of the tests (the ffmpeg tool, ffprobe, a bus daemon), started with
// posix_spawn rather than QProcess: QProcess starts its child with a vfork-like clone() that
// ThreadSanitizer mishandles (GCC's then loses track of the locks the test's threads take and
// reports races on what they guard; clang's stops on a failed check of its own), while
// posix_spawn's child runs only the C library until it execs.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <chrono>

namespace testsupport {

struct ToolRun {
    int exitCode = -1;  // -1 when the program could not start, was killed or hung
    QByteArray out;     // its standard output
};

// Runs `program` (searched in PATH) with `args` and no standard input until it ends; standard
// error stays the test's. After `hangGuard` it is killed.
ToolRun RunProgram(const QString& program, const QStringList& args,
                   std::chrono::milliseconds hangGuard = std::chrono::minutes(10));

// A program that runs beside the test until this object goes (then it is killed), with its
// standard output readable a line at a time.
class SpawnedProgram {
public:
    SpawnedProgram(const QString& program, const QStringList& args);
    ~SpawnedProgram();
    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line of its output without the line end; empty at its end or after `hangGuard`.
    QByteArray readLine(std::chrono::milliseconds hangGuard = std::chrono::minutes(1));

private:
    pid_t pid_ = -1;
    int out_ = -1;
    QByteArray buffered_;
};

}  // namespace testsupport
