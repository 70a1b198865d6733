#pragma once

// A dbus-daemon of the test's own, with a generated configuration: no other program's names,
// and only the services of `serviceDir` activatable, or those of the folders a session bus
// searches ($XDG_DATA_HOME, $XDG_DATA_DIRS as the test sets them).

#include <glib.h>

#include <string>

namespace quillmarktest {

struct SessionServiceFolders {};

class PrivateBus {
public:
    // An empty `serviceDir` leaves nothing activatable.
    explicit PrivateBus(const std::string& serviceDir = {});
    explicit PrivateBus(SessionServiceFolders);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    void start(const std::string& serviceDirs);

    std::string folder_;
    std::string address_;
    GPid pid_ = 0;
};

// A fresh folder under TMPDIR (or /tmp), removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a D-Bus service file that starts `argv` for `name`.
void WriteServiceFile(const std::string& serviceDir, const std::string& name,
                      const std::string& exec);

}  // namespace quillmarktest
