#include "quillmark/private_bus.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace quillmarktest {

TempFolder::TempFolder() {
    g_autoptr(GError) error = nullptr;
    g_autofree char* made = g_dir_make_tmp("quillmark-XXXXXX", &error);
    if (made == nullptr) {
        throw std::runtime_error(error->message);
    }
    path_ = made;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

PrivateBus::PrivateBus(const std::string& serviceDir) {
    start(serviceDir.empty() ? std::string() : "<servicedir>" + serviceDir + "</servicedir>");
}

PrivateBus::PrivateBus(SessionServiceFolders) {
    start("<standard_session_servicedirs/>");
}

void PrivateBus::start(const std::string& serviceDirs) {
    g_autoptr(GError) error = nullptr;
    g_autofree char* folder = g_dir_make_tmp("quillmark-bus-XXXXXX", &error);
    if (folder == nullptr) {
        throw std::runtime_error(error->message);
    }
    folder_ = folder;
    const std::string config = folder_ + "/bus.conf";
    {
        std::ofstream out(config);
        out << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:dir="
            << folder_ << "</listen>\n";
        out << "  " << serviceDirs << "\n";
        out << "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n";
    }
    const std::string configArg = "--config-file=" + config;
    const char* argv[] = {"dbus-daemon", configArg.c_str(), "--print-address", "--nofork", nullptr};
    int out = -1;
    if (!g_spawn_async_with_pipes(
            nullptr, const_cast<char**>(argv), nullptr,
            static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
            // Gone with the test even when it crashes: it holds the test's output open.
            [](gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }, nullptr, &pid_, nullptr, &out,
            nullptr, &error)) {
        throw std::runtime_error(error->message);
    }
    std::string line;
    char c = 0;
    while (read(out, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(out);
    if (line.empty()) {
        throw std::runtime_error("dbus-daemon printed no address");
    }
    address_ = line;
}

PrivateBus::~PrivateBus() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        g_spawn_close_pid(pid_);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void WriteServiceFile(const std::string& serviceDir, const std::string& name,
                      const std::string& exec) {
    std::ofstream out(serviceDir + "/" + name + ".service");
    out << "[D-BUS Service]\nName=" << name << "\nExec=" << exec << "\n";
}

}  // namespace quillmarktest
