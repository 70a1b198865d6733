#include "quillmark/quick_convert_client.h"

#include "quillmark/l10n.h"
#include "quillmark/shadowing_service_file.h"

#include <gio/gio.h>
#include <glib/gi18n-lib.h>

#include <array>
#include <memory>
#include <optional>
#include <utility>

namespace quickconvert {
namespace {

// ProgIDs this extension knows, for a bus that refuses to list its names.
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kKnownProgIds{{
    {"sonawell.quickconvertengine", kBusName},
}};

constexpr std::array<const char*, 2> kListMethods = {"ListNames", "ListActivatableNames"};

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct SourceDestroy {
    void operator()(GSource* source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
struct ContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
using Connection = std::unique_ptr<GDBusConnection, ObjectUnref>;
using Cancellable = std::unique_ptr<GCancellable, ObjectUnref>;
using Source = std::unique_ptr<GSource, SourceDestroy>;
using Context = std::unique_ptr<GMainContext, ContextUnref>;

std::string Describe(const GError* error) {
    return error != nullptr ? std::string(error->message) : std::string(_("unknown error"));
}

std::string DescribeBound(std::chrono::milliseconds bound) {
    return bound.count() % 1000 == 0 ? std::to_string(bound.count() / 1000) + " s"
                                     : std::to_string(bound.count()) + " ms";
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Errors by which the bus says the name has no owner and could not be started for it.
bool MeansUnreachable(const GError* error) {
    if (error == nullptr || !g_dbus_error_is_remote_error(error)) {
        return false;
    }
    g_autofree char* name = g_dbus_error_get_remote_error(error);
    const std::string_view remote(name != nullptr ? name : "");
    return remote == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           remote == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
           remote.starts_with("org.freedesktop.DBus.Error.Spawn.");
}

// Errors by which the bus says it found a service file for the name but could not start the
// program it names (ExecFailed, ChildExited, FileInvalid...).
bool MeansNotStarted(const GError* error) {
    if (error == nullptr || !g_dbus_error_is_remote_error(error)) {
        return false;
    }
    g_autofree char* name = g_dbus_error_get_remote_error(error);
    return name != nullptr && g_str_has_prefix(name, "org.freedesktop.DBus.Error.Spawn.");
}

// What goes over the bus for `path`: the path itself, or a file:// URI when the name is not
// UTF-8 (a bus string must be); nullopt with `why` set when neither works.
std::optional<std::string> BusString(const std::string& path, std::string* why) {
    if (g_utf8_validate(path.data(), static_cast<gssize>(path.size()), nullptr)) {
        return path;
    }
    g_autoptr(GError) error = nullptr;
    g_autofree char* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
    if (uri == nullptr) {
        *why = quillmark::Format(
            _("the name is not valid UTF-8 and can't be written as a file:// URI: %s"),
            Describe(error).c_str());
        return std::nullopt;
    }
    return std::string(uri);
}

// One hand-over in flight. Every pending callback holds a share of it, so it lives until the
// last one has come back, which may be after the outcome was delivered at the bound.
class HandOver : public std::enable_shared_from_this<HandOver> {
public:
    HandOver(std::string_view progId, std::vector<std::string> files, AddJobsDone done,
             std::string busAddress, std::chrono::milliseconds bound)
        : progId_(progId),
          files_(std::move(files)),
          done_(std::move(done)),
          busAddress_(std::move(busAddress)),
          bound_(bound),
          context_(g_main_context_ref_thread_default()),
          cancellable_(g_cancellable_new()),
          calls_(files_.size()) {}

    void start() {
        for (std::size_t index = 0; index < files_.size(); ++index) {
            calls_[index].busString = BusString(files_[index], &calls_[index].message);
        }
        deadline_.reset(g_timeout_source_new(static_cast<guint>(bound_.count())));
        g_source_set_callback(deadline_.get(), &HandOver::onDeadline, this, nullptr);
        g_source_attach(deadline_.get(), context_.get());
        if (busAddress_.empty()) {
            g_bus_get(G_BUS_TYPE_SESSION, cancellable_.get(), &HandOver::onConnected, hold());
        } else {
            g_dbus_connection_new_for_address(
                busAddress_.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, cancellable_.get(), &HandOver::onConnected, hold());
        }
    }

private:
    enum class CallState { NotSent, Pending, Accepted, Failed };
    struct Call {
        std::optional<std::string> busString;
        CallState state = CallState::NotSent;
        bool bounced = false;     // failed because the name has no owner and can't be started
        bool notStarted = false;  // the bus could not start the program its service file names
        std::string message;
    };
    // A callback's share of the hand-over, and which call it answers.
    struct Hold {
        std::shared_ptr<HandOver> owner;
        std::size_t index = 0;
    };

    gpointer hold(std::size_t index = 0) { return new Hold{shared_from_this(), index}; }
    static std::unique_ptr<Hold> take(gpointer data) {
        return std::unique_ptr<Hold>(static_cast<Hold*>(data));
    }

    static gboolean onDeadline(gpointer data) {
        static_cast<HandOver*>(data)->finish(true);
        return G_SOURCE_REMOVE;
    }

    static void onConnected(GObject*, GAsyncResult* result, gpointer data) {
        const auto held = take(data);
        HandOver& self = *held->owner;
        g_autoptr(GError) error = nullptr;
        self.bus_.reset(self.busAddress_.empty()
                            ? g_bus_get_finish(result, &error)
                            : g_dbus_connection_new_for_address_finish(result, &error));
        if (self.finished_) {
            return;
        }
        if (self.bus_ == nullptr) {
            self.result_.unreachable = quillmark::Format(_("cannot connect to the session bus: %s"),
                                                         Describe(error).c_str());
            self.finish(false);
            return;
        }
        self.listNames(0);
    }

    void listNames(std::size_t method) {
        g_dbus_connection_call(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", kListMethods[method], nullptr,
                               G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, G_MAXINT,
                               cancellable_.get(), &HandOver::onListed, hold(method));
    }

    static void onListed(GObject* source, GAsyncResult* result, gpointer data) {
        const auto held = take(data);
        HandOver& self = *held->owner;
        g_autoptr(GVariant) reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        if (self.finished_) {
            return;
        }
        if (reply != nullptr) {
            self.listed_ = true;
            g_autoptr(GVariant) list = g_variant_get_child_value(reply, 0);
            g_autofree const char** names = g_variant_get_strv(list, nullptr);
            for (const char** name = names; name != nullptr && *name != nullptr; ++name) {
                if (EqualIgnoringCase(*name, self.progId_)) {
                    self.send(*name);
                    return;
                }
            }
        }
        if (held->index + 1 < kListMethods.size()) {
            self.listNames(held->index + 1);
            return;
        }
        if (!self.listed_) {
            for (const auto& [known, busName] : kKnownProgIds) {
                if (EqualIgnoringCase(known, self.progId_)) {
                    self.send(std::string(busName));
                    return;
                }
            }
        }
        self.result_.unreachable = quillmark::Format(
            _("no program owns or can be started for \"%s\""), self.progId_.c_str());
        self.finish(false);
    }

    // All calls at once: one connection's messages reach the server in the order sent, and
    // the bus queues them while it starts the server for the first.
    void send(std::string busName) {
        result_.reached = true;
        result_.busName = std::move(busName);
        for (std::size_t index = 0; index < calls_.size(); ++index) {
            Call& call = calls_[index];
            if (!call.busString) {
                continue;
            }
            call.state = CallState::Pending;
            ++pending_;
            g_dbus_connection_call(bus_.get(), result_.busName.c_str(), kObjectPath.data(),
                                   kInterface.data(), kMethod.data(),
                                   g_variant_new("(s)", call.busString->c_str()), nullptr,
                                   G_DBUS_CALL_FLAGS_NONE, G_MAXINT, cancellable_.get(),
                                   &HandOver::onAnswered, hold(index));
        }
        if (pending_ == 0) {
            finish(false);
        }
    }

    static void onAnswered(GObject* source, GAsyncResult* result, gpointer data) {
        const auto held = take(data);
        HandOver& self = *held->owner;
        g_autoptr(GError) error = nullptr;
        g_autoptr(GVariant) reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        if (self.finished_) {
            return;  // past the bound: already reported as not answered
        }
        Call& call = self.calls_[held->index];
        if (reply != nullptr) {
            call.state = CallState::Accepted;
        } else {
            call.state = CallState::Failed;
            call.bounced = MeansUnreachable(error);
            call.notStarted = MeansNotStarted(error);
            call.message = Describe(error);
        }
        if (--self.pending_ == 0) {
            self.settle();
        }
    }

    // Every call answered. When the bus could not start the server and a service file of the
    // user's shadowed an installed one, that file goes and the calls go once more.
    void settle() {
        if (!retried_ && notStarted()) {
            retried_ = true;
            result_.removedServiceFile = RemoveShadowingServiceFile(kBusName);
            if (!result_.removedServiceFile.empty()) {
                reloadThenResend();
                return;
            }
        }
        finish(false);
    }

    bool notStarted() const {
        bool any = false;
        for (const Call& call : calls_) {
            if (call.state == CallState::Accepted ||
                (call.state == CallState::Failed && !call.bounced)) {
                return false;
            }
            any = any || call.notStarted;
        }
        return any;
    }

    // dbus-daemon rereads its folders when they change, though perhaps not before the next
    // call; dbus-broker only on ReloadConfig. Its answer doesn't matter: the calls go again
    // either way.
    void reloadThenResend() {
        g_dbus_connection_call(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "ReloadConfig", nullptr, nullptr,
                               G_DBUS_CALL_FLAGS_NONE, G_MAXINT, cancellable_.get(),
                               &HandOver::onReloaded, hold());
    }

    static void onReloaded(GObject* source, GAsyncResult* result, gpointer data) {
        const auto held = take(data);
        HandOver& self = *held->owner;
        g_autoptr(GVariant) reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        if (self.finished_) {
            return;
        }
        for (Call& call : self.calls_) {
            if (call.state == CallState::Failed) {
                call.state = CallState::NotSent;
                call.bounced = false;
                call.notStarted = false;
                call.message.clear();
            }
        }
        self.send(self.result_.busName);
    }

    void finish(bool boundPassed) {
        if (finished_) {
            return;
        }
        finished_ = true;
        deadline_.reset();
        g_cancellable_cancel(cancellable_.get());
        if (!result_.reached && boundPassed) {
            result_.unreachable = quillmark::Format(_("the session bus did not answer within %s"),
                                                    DescribeBound(bound_).c_str());
        }
        collect();
        AddJobsDone done = std::move(done_);
        done(std::move(result_));
    }

    void collect() {
        // Every call bounced: the name vanished between the look-up and the calls, or the bus
        // could not start the server. That is not reaching it.
        bool anyAnswer = false;
        const Call* bounced = nullptr;
        for (const Call& call : calls_) {
            anyAnswer = anyAnswer || call.state == CallState::Accepted ||
                        call.state == CallState::Pending ||
                        (call.state == CallState::Failed && !call.bounced);
            if (call.state == CallState::Failed && call.bounced && bounced == nullptr) {
                bounced = &call;
            }
        }
        if (result_.reached && !anyAnswer && bounced != nullptr) {
            result_.reached = false;
            result_.unreachable = bounced->message;
        }
        for (std::size_t index = 0; index < calls_.size(); ++index) {
            const Call& call = calls_[index];
            const std::string& path = files_[index];
            if (!call.busString) {
                result_.failures.push_back({index, path, FailureKind::CannotCarry, call.message});
            } else if (!result_.reached) {
                continue;
            } else if (call.state == CallState::Accepted) {
                result_.handedOver.push_back(path);
            } else if (call.state == CallState::Failed) {
                result_.failures.push_back({index, path, FailureKind::Refused, call.message});
            } else {
                result_.failures.push_back(
                    {index, path, FailureKind::NoAnswer,
                     quillmark::Format(_("no answer within %s"), DescribeBound(bound_).c_str())});
            }
        }
    }

    const std::string progId_;
    const std::vector<std::string> files_;
    AddJobsDone done_;
    const std::string busAddress_;
    const std::chrono::milliseconds bound_;
    const Context context_;
    const Cancellable cancellable_;
    Source deadline_;
    Connection bus_;
    std::vector<Call> calls_;
    std::size_t pending_ = 0;
    bool listed_ = false;
    bool retried_ = false;
    bool finished_ = false;
    AddJobsResult result_;
};

std::weak_ptr<HandOver> Start(std::string_view progId, std::vector<std::string> files,
                              AddJobsDone done, const std::string& busAddress,
                              std::chrono::milliseconds bound) {
    auto handOver =
        std::make_shared<HandOver>(progId, std::move(files), std::move(done), busAddress, bound);
    handOver->start();
    return handOver;
}

}  // namespace

void AddJobsAsync(std::string_view progId, std::vector<std::string> files, AddJobsDone done,
                  const std::string& busAddress, std::chrono::milliseconds bound) {
    Start(progId, std::move(files), std::move(done), busAddress, bound);
}

AddJobsResult AddJobs(std::string_view progId, const std::vector<std::string>& files,
                      const std::string& busAddress, std::chrono::milliseconds bound) {
    const Context context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    std::optional<AddJobsResult> outcome;
    const std::weak_ptr<HandOver> running = Start(
        progId, files, [&outcome](AddJobsResult result) { outcome = std::move(result); },
        busAddress, bound);
    // Until every cancelled call has come back too: nothing may be left on a context that
    // nobody runs any more.
    while (!outcome || !running.expired()) {
        g_main_context_iteration(context.get(), TRUE);
    }
    g_main_context_pop_thread_default(context.get());
    return std::move(*outcome);
}

std::string ResolveBusName(std::string_view progId, std::string* error,
                           const std::string& busAddress) {
    AddJobsResult result = AddJobs(progId, {}, busAddress);
    if (result.busName.empty() && error != nullptr) {
        *error = result.unreachable;
    }
    return result.busName;
}

}  // namespace quickconvert
