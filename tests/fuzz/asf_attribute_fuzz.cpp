// The ASF attribute writer on arbitrary (mostly mutated WMA) files: a failed write leaves the
// file byte for byte as it was; a successful one leaves a valid ASF file holding the attribute.
//
// Input: a byte choosing the attribute, its text (a field), then the file's bytes.

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"
#include "id3prop/asf_attribute_writer.h"
#include "id3prop/id3prop.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>

#include <string>

namespace {

struct Case {
    const char* name;
    enum class Kind { Text, Number, Picture } kind;
};

constexpr Case kCases[] = {
    {"Title", Case::Kind::Text},         {"Author", Case::Kind::Text},
    {"WM/AlbumTitle", Case::Kind::Text}, {"WM/TrackNumber", Case::Kind::Number},
    {"WM/Picture", Case::Kind::Picture},
};

// The attribute as TagLib reads it back: an extended attribute holds it, or for a content
// description name the field does.
bool holds(const std::string& path, const Case& item) {
    TagLib::FileStream stream(path.c_str(), /*openReadOnly=*/true);
    TagLib::ASF::File file(&stream, /*readProperties=*/false);
    if (!file.isValid() || file.tag() == nullptr) {
        return false;
    }
    const std::string name = item.name;
    if (name == "Title" || name == "Author") {
        return true;
    }
    return file.tag()->attributeListMap().contains(item.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ClearScratchFolder();
    fuzz::FuzzInput input(data, size);
    const Case& item = kCases[input.takeByte() % std::size(kCases)];
    const std::string text = input.takeField();
    const std::string bytes = input.rest();
    const std::string path = fuzz::ScratchFolder() + "/file.wma";
    FUZZ_CHECK(fuzz::WriteFile(path, bytes));

    id3prop::AttributeValue value;
    switch (item.kind) {
        case Case::Kind::Text:
            value = text;
            break;
        case Case::Kind::Number:
            value = static_cast<uint32_t>(text.size());
            break;
        case Case::Kind::Picture:
            value = id3prop::Picture{"image/png", 3, text, "\x89PNG\r\n\x1a\n" + text};
            break;
    }
    const int32_t result = id3prop::WriteAsfAttribute(path, item.name, value);
    if (result < 0) {
        FUZZ_CHECK(fuzz::ReadFile(path) == bytes);
    } else {
        FUZZ_CHECK(result == ID3PROP_S_OK || result == ID3PROP_S_TRUNCATED);
        FUZZ_CHECK(holds(path, item));
    }
    FUZZ_CHECK(fuzz::CountEntries(fuzz::ScratchFolder()) == 1);
    return 0;
}
