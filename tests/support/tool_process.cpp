#include "support/tool_process.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace testsupport {
namespace {

// Starts `program` with standard input from /dev/null and standard output into a pipe whose
// reading end goes to `*out`; -1 when it can't be started.
pid_t Spawn(const QString& program, const QStringList& args, int* out) {
    std::vector<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString& arg : args)
        encoded.push_back(QFile::encodeName(arg));
    std::vector<char*> argv;
    for (QByteArray& arg : encoded)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (failed != 0) {
        ::close(pipeFds[0]);
        return -1;
    }
    *out = pipeFds[0];
    return pid;
}

// Waits until `deadline` for `fd` to have something to read (or its end).
bool Readable(int fd, std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, static_cast<int>(left.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

ToolRun RunProgram(const QString& program, const QStringList& args,
                   std::chrono::milliseconds hangGuard) {
    ToolRun run;
    int out = -1;
    const pid_t pid = Spawn(program, args, &out);
    if (pid < 0)
        return run;
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    char buffer[65536];
    for (;;) {
        if (!Readable(out, deadline)) {
            ::close(out);
            KillAndReap(pid);
            return ToolRun{};
        }
        const ssize_t n = ::read(out, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        run.out.append(buffer, n);
    }
    ::close(out);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

SpawnedProgram::SpawnedProgram(const QString& program, const QStringList& args) {
    pid_ = Spawn(program, args, &out_);
}

SpawnedProgram::~SpawnedProgram() {
    if (out_ >= 0)
        ::close(out_);
    if (pid_ > 0)
        KillAndReap(pid_);
}

QByteArray SpawnedProgram::readLine(std::chrono::milliseconds hangGuard) {
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (!buffered_.contains('\n') && out_ >= 0 && Readable(out_, deadline)) {
        char buffer[4096];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        buffered_.append(buffer, n);
    }
    const qsizetype end = buffered_.indexOf('\n');
    if (end < 0)
        return {};
    const QByteArray line = buffered_.left(end);
    buffered_.remove(0, end + 1);
    return line;
}

}  // namespace testsupport
