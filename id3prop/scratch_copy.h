#pragma once

#include <string>

namespace id3prop {

// A copy of a file in the file's own folder (so the final rename is atomic), with the
// original's permission bits. Removed on destruction unless Replace() succeeded.
class ScratchCopy {
public:
    explicit ScratchCopy(const std::string& original);
    ~ScratchCopy();
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    // False when the copy could not be made completely.
    bool IsReady() const { return m_ready; }
    const std::string& Path() const { return m_path; }
    // Renames the copy over the original (atomic: readers see the old or the new file).
    bool Replace();

private:
    bool Make();

    std::string m_original;
    std::string m_path;
    bool m_ready = false;
    bool m_replaced = false;
};

}  // namespace id3prop
