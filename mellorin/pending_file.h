#pragma once

#include "common/unique_fd.h"

#include <memory>
#include <string>

namespace mellorin {

// A file written in the destination's folder and put in place only by Commit, so the
// destination is either untouched or complete. Where the file system allows it the file has
// no name until then (O_TMPFILE), and a killed process leaves nothing behind; elsewhere it is
// a hidden ".name.XXXXXX.part" beside the destination, removed when not committed.
class PendingFile {
    struct Key {};

public:
    // nullptr with the errno in `error` when no file can be created in the folder.
    static std::unique_ptr<PendingFile> Create(const std::string& destination, int* error);

    PendingFile(Key, sw::UniqueFd fd, std::string destination, std::string namedPath);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    int fd() const { return fd_.get(); }
    // A name this process can open the file by before Commit: "/proc/self/fd/N" for an
    // unnamed file, else the hidden file's own.
    std::string Path() const;
    // Flushes the file to disk and puts it at the destination, replacing what is there.
    // Returns 0 or the errno of the step that failed; the destination is unchanged then.
    int Commit();

private:
    int LinkUnnamed();

    sw::UniqueFd fd_;
    const std::string destination_;
    std::string namedPath_;  // empty for an unnamed file
    bool committed_ = false;
};

}  // namespace mellorin
