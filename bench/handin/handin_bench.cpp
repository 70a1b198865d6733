// Hands a burst of AddJobs calls, one path each, to the built program on the session bus it
// runs in (run.sh gives it a private one), and reports whether every call was answered, how
// long the answers took, when the first output was in place and when every path had become a
// job. The reference is the same burst answered by a bare GIO responder on the same bus, which
// keeps each path and does nothing else.
//
// A path has become a job when the program has opened its source once (it takes each source's
// size as the job is added); the first output is in place when the first file appears in the
// output folder (outputs are linked into place when complete).
//
// Usage: handin_bench COUNT MASTER_MP3 WORK_FOLDER PROGRAM [IN_FLIGHT]
// COUNT hard links to MASTER_MP3 (or to copies of it) are made in WORK_FOLDER/src; the program's
// settings must put its outputs in WORK_FOLDER/out. At most IN_FLIGHT calls await their answer at
// any time (default 1000; the session bus refuses more than 50000 from one connection, and a
// GIO client slows down with every call it waits on).

#include "common/bus_names.h"
#include "common/unique_fd.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCallTimeoutMs = 25000;  // what a client that asks for the bus default gets

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct ConnectionUnref {
    void operator()(GDBusConnection* c) const { g_object_unref(c); }
};
using Connection = std::unique_ptr<GDBusConnection, ConnectionUnref>;

Connection ConnectToSessionBus() {
    g_autofree char* address =
        g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (address == nullptr) {
        return nullptr;
    }
    return Connection(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr));
}

bool NameHasOwner(GDBusConnection* bus) {
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", sw::bus::kServiceName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
    }
    return owned;
}

struct BurstResult {
    int answered = 0;
    int timedOut = 0;
    int failed = 0;
    std::string firstError;
    Clock::time_point start;
    Clock::time_point lastAnswer;
    Clock::duration worstWait{};
};

// Every path in one AddJobs call of its own, sent without waiting for earlier answers beyond
// `inFlight` outstanding calls, on a connection and main context of this thread's own.
BurstResult HandIn(const std::vector<std::string>& paths, int inFlight) {
    struct Call {
        BurstResult* result;
        int* outstanding;
        Clock::time_point sent;
    };
    BurstResult result;
    int outstanding = 0;
    std::vector<Call> calls(paths.size(), Call{&result, &outstanding, {}});
    g_autoptr(GMainContext) context = g_main_context_new();
    g_main_context_push_thread_default(context);
    {
        const Connection bus = ConnectToSessionBus();
        if (bus == nullptr) {
            result.firstError = "no session bus";
            result.failed = static_cast<int>(paths.size());
        } else {
            result.start = Clock::now();
            size_t next = 0;
            while (next < paths.size() || outstanding > 0) {
                while (next < paths.size() && outstanding < inFlight) {
                    Call& call = calls[next];
                    call.sent = Clock::now();
                    ++outstanding;
                    g_dbus_connection_call(
                        bus.get(), sw::bus::kServiceName, sw::bus::kObjectPath, sw::bus::kInterface,
                        sw::bus::kAddJobs, g_variant_new("(s)", paths[next].c_str()), nullptr,
                        G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr,
                        [](GObject* source, GAsyncResult* async, gpointer data) {
                            auto* c = static_cast<Call*>(data);
                            g_autoptr(GError) error = nullptr;
                            g_autoptr(GVariant) reply = g_dbus_connection_call_finish(
                                G_DBUS_CONNECTION(source), async, &error);
                            const Clock::time_point now = Clock::now();
                            --*c->outstanding;
                            BurstResult& r = *c->result;
                            r.lastAnswer = now;
                            r.worstWait = std::max(r.worstWait, now - c->sent);
                            if (reply != nullptr) {
                                ++r.answered;
                                return;
                            }
                            if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT)) {
                                ++r.timedOut;
                            } else {
                                ++r.failed;
                            }
                            if (r.firstError.empty()) {
                                r.firstError = error->message;
                            }
                        },
                        &call);
                    ++next;
                }
                g_main_context_iteration(context, TRUE);
            }
        }
    }
    g_main_context_pop_thread_default(context);
    return result;
}

// The reference: answers every AddJobs call at once and keeps the path, on a thread of its own.
class BareResponder {
public:
    bool start() {
        std::atomic<int> state = 0;  // 1 serving, -1 failed
        thread_ = std::thread([this, &state] { serve(state); });
        while (state == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return state > 0;
    }
    // Gives the name up; the program is started after it.
    void stop() {
        if (loop_ != nullptr) {
            g_main_loop_quit(loop_);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    ~BareResponder() { stop(); }
    size_t kept() const { return kept_.size(); }

private:
    void serve(std::atomic<int>& state) {
        g_autoptr(GMainContext) context = g_main_context_new();
        g_main_context_push_thread_default(context);
        {
            const Connection bus = ConnectToSessionBus();
            const std::string xml = std::string("<node><interface name='") + sw::bus::kInterface +
                                    "'><method name='" + sw::bus::kAddJobs +
                                    "'><arg type='s' name='strFileName' direction='in'/>"
                                    "</method></interface></node>";
            g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(xml.c_str(), nullptr);
            static const GDBusInterfaceVTable vtable = {
                [](GDBusConnection*, const char*, const char*, const char*, const char*,
                   GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
                    const char* path = nullptr;
                    g_variant_get(parameters, "(&s)", &path);
                    static_cast<BareResponder*>(self)->kept_.emplace_back(path);
                    g_dbus_method_invocation_return_value(invocation, nullptr);
                },
                nullptr,
                nullptr,
                {}};
            guint object = bus == nullptr || node == nullptr
                               ? 0
                               : g_dbus_connection_register_object(bus.get(), sw::bus::kObjectPath,
                                                                   node->interfaces[0], &vtable,
                                                                   this, nullptr, nullptr);
            guint32 owned = 0;
            if (object != 0) {
                g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
                    bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus", "RequestName",
                    g_variant_new("(su)", sw::bus::kServiceName, 4u /* do not queue */),
                    G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
                if (reply != nullptr) {
                    g_variant_get(reply, "(u)", &owned);
                }
            }
            if (owned == 1 /* primary owner */) {
                loop_ = g_main_loop_new(context, FALSE);
                state = 1;
                g_main_loop_run(loop_);
                g_clear_pointer(&loop_, g_main_loop_unref);
            } else {
                state = -1;
            }
            if (object != 0) {
                g_dbus_connection_unregister_object(bus.get(), object);
            }
            if (bus != nullptr) {
                g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
            }
        }
        g_main_context_pop_thread_default(context);
    }

    std::thread thread_;
    GMainLoop* loop_ = nullptr;
    std::vector<std::string> kept_;
};

// Watches the sources being opened and the first output appearing, on a thread of its own.
class FolderWatch {
public:
    FolderWatch(const std::string& sources, const std::string& outputs, size_t count)
        : fd_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)), opened_(count, false) {
        sources_ = inotify_add_watch(fd_.get(), sources.c_str(), IN_OPEN);
        outputs_ = inotify_add_watch(fd_.get(), outputs.c_str(), IN_CREATE | IN_MOVED_TO);
        thread_ = std::thread([this] { run(); });
    }
    ~FolderWatch() {
        stop_ = true;
        thread_.join();
    }
    bool valid() const { return sources_ >= 0 && outputs_ >= 0; }
    size_t openedCount() const { return openedCount_; }
    bool overflowed() const { return overflowed_; }
    // Outputs in place when the last source was opened.
    size_t outputsWhenAllOpened() const { return outputsWhenAllOpened_; }
    // Zero until it has happened.
    Clock::time_point allOpened() const {
        return Clock::time_point(Clock::duration(allOpened_.load()));
    }
    Clock::time_point firstOutput() const {
        return Clock::time_point(Clock::duration(firstOutput_.load()));
    }

private:
    void run() {
        std::vector<char> buffer(1 << 20);
        while (!stop_) {
            pollfd wait{fd_.get(), POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0) {
                continue;
            }
            ssize_t got;
            while ((got = ::read(fd_.get(), buffer.data(), buffer.size())) > 0) {
                const Clock::rep now = Clock::now().time_since_epoch().count();
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                    if (event->mask & IN_Q_OVERFLOW) {
                        overflowed_ = true;
                    } else if (event->wd == outputs_) {
                        if (outputCount_++ == 0) {
                            firstOutput_ = now;
                        }
                    } else if (event->wd == sources_ && event->len > 0) {
                        // "000042.mp3" is source 42.
                        const size_t index = std::strtoul(event->name, nullptr, 10);
                        if (index >= 1 && index <= opened_.size() && !opened_[index - 1]) {
                            opened_[index - 1] = true;
                            if (++openedCount_ == opened_.size()) {
                                allOpened_ = now;
                                outputsWhenAllOpened_ = outputCount_.load();
                            }
                        }
                    }
                }
            }
        }
    }

    sw::UniqueFd fd_;
    int sources_ = -1;
    int outputs_ = -1;
    std::vector<bool> opened_;
    std::atomic<size_t> openedCount_ = 0;
    std::atomic<bool> overflowed_ = false;
    std::atomic<Clock::rep> allOpened_ = 0;
    std::atomic<Clock::rep> firstOutput_ = 0;
    std::atomic<size_t> outputCount_ = 0;
    std::atomic<size_t> outputsWhenAllOpened_ = 0;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

long PeakRssKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

void Report(const char* who, const BurstResult& r, size_t count) {
    std::printf("%s: %d of %zu calls answered, %d timed out, %d failed%s%s\n", who, r.answered,
                count, r.timedOut, r.failed,
                r.firstError.empty() ? "" : "; first error: ", r.firstError.c_str());
    std::printf("%s: all answered after %.2f s, slowest answer %.3f s\n", who,
                Seconds(r.lastAnswer - r.start), Seconds(r.worstWait));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 5 || argc > 6) {
        std::fprintf(stderr,
                     "usage: handin_bench COUNT MASTER_MP3 WORK_FOLDER PROGRAM [IN_FLIGHT]\n");
        return 2;
    }
    const size_t count = std::strtoul(argv[1], nullptr, 10);
    const std::string master = argv[2];
    const std::string work = argv[3];
    const std::string program = argv[4];
    const int inFlight = argc == 6 ? std::atoi(argv[5]) : 1000;
    const std::string sources = work + "/src";
    const std::string outputs = work + "/out";
    if (count == 0 || inFlight <= 0 || ::mkdir(sources.c_str(), 0700) != 0 ||
        ::mkdir(outputs.c_str(), 0700) != 0) {
        std::fprintf(stderr, "bad count, in-flight limit or work folder\n");
        return 2;
    }
    // A file system allows some tens of thousands of links to one file: a copy of the master
    // for every kLinksPerCopy sources.
    constexpr size_t kLinksPerCopy = 50000;
    std::vector<std::string> paths;
    paths.reserve(count);
    std::string copy;
    for (size_t i = 1; i <= count; ++i) {
        if ((i - 1) % kLinksPerCopy == 0) {
            copy = work + "/master-" + std::to_string(i / kLinksPerCopy) + ".mp3";
            std::error_code error;
            std::filesystem::copy_file(master, copy, error);
            if (error) {
                std::fprintf(stderr, "%s: %s\n", copy.c_str(), error.message().c_str());
                return 2;
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "/%06zu.mp3", i);
        paths.push_back(sources + name);
        if (::link(copy.c_str(), paths.back().c_str()) != 0) {
            std::perror(paths.back().c_str());
            return 2;
        }
    }
    const Connection bus = ConnectToSessionBus();
    if (bus == nullptr || NameHasOwner(bus.get())) {
        std::fprintf(stderr, "no private session bus, or %s is taken on it\n",
                     sw::bus::kServiceName);
        return 2;
    }

    BurstResult reference;
    {
        BareResponder responder;
        if (!responder.start()) {
            std::fprintf(stderr, "the bare responder could not take the name\n");
            return 2;
        }
        reference = HandIn(paths, inFlight);
        responder.stop();
        if (responder.kept() != count) {
            std::fprintf(stderr, "the bare responder kept %zu paths\n", responder.kept());
        }
    }
    for (int i = 0; i < 200 && NameHasOwner(bus.get()); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    // The program, with its output beside the bench's.
    const std::string log = work + "/sonawell.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> args{const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), std::strerror(spawned));
        return 2;
    }
    const auto endProgram = [pid] {
        ::kill(pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    };
    const Clock::time_point launched = Clock::now();
    while (!NameHasOwner(bus.get())) {
        if (Clock::now() - launched > std::chrono::seconds(30) ||
            ::waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "the program did not take the bus name; see %s\n", log.c_str());
            endProgram();
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    FolderWatch watch(sources, outputs, count);
    if (!watch.valid()) {
        std::fprintf(stderr, "can't watch %s\n", work.c_str());
        endProgram();
        return 2;
    }
    const BurstResult burst = HandIn(paths, inFlight);
    // Every path handed in must become a job, and the first output appear, within two minutes.
    while ((watch.openedCount() < count || watch.firstOutput() == Clock::time_point()) &&
           Clock::now() - burst.start < std::chrono::minutes(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const long peakKib = PeakRssKib(pid);
    endProgram();

    std::printf("%zu AddJobs calls, at most %d awaiting their answer\n", count, inFlight);
    Report("bare responder", reference, count);
    Report("sonawell", burst, count);
    const bool firstSeen = watch.firstOutput() != Clock::time_point();
    const bool allQueued = watch.openedCount() == count;
    if (firstSeen) {
        std::printf("sonawell: first output in place %.2f s after the first call\n",
                    Seconds(watch.firstOutput() - burst.start));
    } else {
        std::printf("sonawell: no output appeared\n");
    }
    if (allQueued) {
        std::printf("sonawell: all %zu queued %.2f s after the first call, %zu converted by then\n",
                    count, Seconds(watch.allOpened() - burst.start), watch.outputsWhenAllOpened());
    } else {
        std::printf("sonawell: %zu of %zu queued after two minutes%s\n", watch.openedCount(), count,
                    watch.overflowed() ? " (file events were lost)" : "");
    }
    std::printf("sonawell: peak memory %ld KiB\n", peakKib);
    std::printf(
        "ratio (all answered, sonawell / bare responder): %.2f\n",
        Seconds(burst.lastAnswer - burst.start) / Seconds(reference.lastAnswer - reference.start));
    // The first output in place is the first conversion's end, so its start was earlier.
    const bool met = burst.answered == static_cast<int>(count) && allQueued && firstSeen &&
                     watch.allOpened() - burst.start <= std::chrono::seconds(20) &&
                     watch.firstOutput() - burst.start <= std::chrono::seconds(1);
    std::printf("goal (every call answered, first output within 1 s, all queued within 20 s): %s\n",
                met ? "met" : "missed");
    return met ? 0 : 1;
}
