#include "quillmark/engine_double.h"

namespace quillmarktest {
namespace {

constexpr char kIntrospection[] =
    "<node><interface name='Sonawell.QuickConvertEngine'>"
    "<method name='AddJobs'><arg type='s' name='strFileName' direction='in'/></method>"
    "</interface></node>";

}  // namespace

EngineDouble::EngineDouble(std::string busAddress, std::string name, std::string rejectMarker,
                           bool answers)
    : rejectMarker_(std::move(rejectMarker)), answers_(answers) {
    server_ = std::make_unique<BusObjectServer>(
        std::move(busAddress), std::move(name), "/QuickConvertEngine", kIntrospection,
        [this](GDBusConnection*, const char* method, GVariant* parameters,
               GDBusMethodInvocation* invocation) {
            OnMethodCall(method, parameters, invocation);
        });
}

EngineDouble::~EngineDouble() {
    server_.reset();
    for (GDBusMethodInvocation* invocation : unanswered_) {
        g_object_unref(invocation);
    }
}

std::vector<std::string> EngineDouble::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void EngineDouble::OnMethodCall(const char* method, GVariant* parameters,
                                GDBusMethodInvocation* invocation) {
    if (g_strcmp0(method, "AddJobs") != 0) {
        g_dbus_method_invocation_return_dbus_error(invocation, "Test.Error.UnknownMethod", method);
        return;
    }
    const char* path = nullptr;
    g_variant_get(parameters, "(&s)", &path);
    {
        std::lock_guard lock(mutex_);
        received_.emplace_back(path);
    }
    if (!answers_) {
        unanswered_.push_back(invocation);
        return;
    }
    if (!rejectMarker_.empty() && std::string(path).find(rejectMarker_) != std::string::npos) {
        g_dbus_method_invocation_return_dbus_error(invocation, "Sonawell.Error.Rejected",
                                                   "this file was refused");
        return;
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

}  // namespace quillmarktest
