#include "cli/source_list.h"

#include "cli/byte_path.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

QByteArray bytesOf(const fs::path& path) {
    const std::string& native = path.native();
    return QByteArray(native.data(), static_cast<qsizetype>(native.size()));
}

void addFolder(const QByteArray& folder, std::vector<SourceEntry>& entries) {
    const fs::path root(folder.toStdString());
    std::error_code error;
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied,
                                          error);
    std::vector<SourceEntry> found;
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        // Hidden files and folders are passed over, as the window passes them over.
        if (walk->path().filename().native().starts_with('.')) {
            walk.disable_recursion_pending();
            continue;
        }
        std::error_code typeError;
        if (!walk->is_regular_file(typeError)) {
            continue;
        }
        const fs::path file = walk->path();
        const fs::path between = file.parent_path().lexically_relative(root);
        SourceEntry entry;
        entry.path = bytesOf(file);
        entry.subfolder = between == fs::path(".") ? QByteArray() : bytesOf(between);
        entry.named = false;
        found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
    entries.insert(entries.end(), std::make_move_iterator(found.begin()),
                   std::make_move_iterator(found.end()));
}

// A file named by a relative path keeps that path's folder below the output folder, as names
// from "find . -print0" do; an absolute one, or one that climbs out with "..", keeps none.
QByteArray namedFileFolder(const QByteArray& path) {
    const fs::path folder = fs::path(path.toStdString()).parent_path().lexically_normal();
    if (folder.empty() || folder.is_absolute() || folder == fs::path(".") ||
        *folder.begin() == fs::path("..")) {
        return {};
    }
    QByteArray bytes = bytesOf(folder);
    while (bytes.endsWith('/')) {
        bytes.chop(1);
    }
    return bytes;
}

void addPath(const QByteArray& path, std::vector<SourceEntry>& entries) {
    std::error_code error;
    if (fs::is_directory(fs::path(path.toStdString()), error)) {
        addFolder(path, entries);
    } else {
        entries.push_back({path, namedFileFolder(path), true});
    }
}

}  // namespace

QList<QByteArray> readNulSeparated(std::FILE* input) {
    QList<QByteArray> names;
    QByteArray name;
    char buffer[65536];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, input);
        if (got == 0) {
            break;
        }
        for (size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\0') {
                if (!name.isEmpty()) {
                    names.append(name);
                }
                name.clear();
            } else {
                name.append(buffer[i]);
            }
        }
    }
    if (!name.isEmpty()) {
        names.append(name);
    }
    return names;
}

std::vector<SourceEntry> expandSources(const QList<QByteArray>& arguments, std::FILE* input) {
    std::vector<SourceEntry> entries;
    for (const QByteArray& argument : arguments) {
        if (argument == "-") {
            for (const QByteArray& name : readNulSeparated(input)) {
                addPath(name, entries);
            }
        } else {
            addPath(argument, entries);
        }
    }
    return entries;
}

QByteArray outputFolderFor(const SourceEntry& entry, const QByteArray& outputDir,
                           bool keepFolders) {
    if (outputDir.isEmpty()) {
        return folderOf(entry.path);
    }
    return keepFolders && !entry.subfolder.isEmpty() ? joinPath(outputDir, entry.subfolder)
                                                     : outputDir;
}
