#include "fuzz/fuzz_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>
#include <cstdlib>

namespace fuzz {

namespace {

struct Folder {
    std::string path;
    Folder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/sonawell-fuzz.XXXXXX";
        if (::mkdtemp(name.data()) == nullptr) {
            std::abort();
        }
        path = name;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& ScratchFolder() {
    static const Folder folder;
    return folder.path;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

int CountEntries(const std::string& folder) {
    std::error_code ignored;
    int count = 0;
    for (auto it = std::filesystem::directory_iterator(folder, ignored);
         it != std::filesystem::directory_iterator(); ++it) {
        ++count;
    }
    return count;
}

void ClearScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

}  // namespace fuzz
