// The source-tag reader on arbitrary bytes under each accepted extension: it returns, and it
// leaves the file as it was.
//
// Input: a byte choosing the extension, then the file's bytes.

#include "common/audio_formats.h"
#include "core/id3/source_tag.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"

#include <QString>

#include <string>
#include <vector>

namespace {

const std::vector<std::string>& acceptedExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> all;
        for (const auto& format : sw::formats::kSourceFormats) {
            for (const std::string_view extension : format.extensions) {
                all.emplace_back(extension);
            }
        }
        return all;
    }();
    return extensions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<std::string>& extensions = acceptedExtensions();
    const std::string& extension = extensions[input.takeByte() % extensions.size()];
    const std::string bytes = input.rest();

    const std::string path = fuzz::ScratchFolder() + "/source." + extension;
    FUZZ_CHECK(fuzz::WriteFile(path, bytes));
    const SourceTag tag = readSourceTag(QString::fromStdString(path));
    FUZZ_CHECK(tag.track >= 0);
    FUZZ_CHECK(tag.genreId >= -1 && tag.genreId < 255);
    FUZZ_CHECK(fuzz::ReadFile(path) == bytes);
    return 0;
}
