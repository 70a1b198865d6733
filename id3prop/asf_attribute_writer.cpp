#include "id3prop/asf_attribute_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>

#include "id3prop/id3prop.h"
#include "id3prop/scratch_copy.h"
#include "id3prop/utf8.h"

namespace id3prop {

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

bool IsAsfFile(const std::string& path) {
    TagLib::FileStream stream(path.c_str(), /*openReadOnly=*/true);
    if (!stream.isOpen())
        return false;
    const TagLib::ASF::File file(&stream, /*readProperties=*/false);
    return file.isValid();
}

TagLib::String Utf8(const std::string& text) {
    return TagLib::String(text, TagLib::String::UTF8);
}

std::string AsText(const AttributeValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return std::to_string(std::get<uint32_t>(value));
}

// The three names players read from the content description object go there; a DWORD
// for one of them becomes its decimal text, as that object holds text only.
void Apply(TagLib::ASF::Tag& tag, const std::string& name, const AttributeValue& value) {
    if (name == "Title") {
        tag.setTitle(Utf8(AsText(value)));
    } else if (name == "Author") {
        tag.setArtist(Utf8(AsText(value)));
    } else if (name == "Description") {
        tag.setComment(Utf8(AsText(value)));
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        tag.setAttribute(Utf8(name), TagLib::ASF::Attribute(Utf8(*text)));
    } else {
        tag.setAttribute(Utf8(name), TagLib::ASF::Attribute(
                                         static_cast<unsigned int>(std::get<uint32_t>(value))));
    }
}

}  // namespace

int32_t WriteAsfAttribute(const std::string& path, const std::string& name,
                          const AttributeValue& value) {
    if (name.empty() || path.empty() || !IsValidUtf8(name))
        return ID3PROP_E_INVALIDARG;
    if (const auto* text = std::get_if<std::string>(&value); text && !IsValidUtf8(*text))
        return ID3PROP_E_INVALIDARG;

    // Through a symbolic link the link stays and the file it names gets the tag.
    const std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    if (!resolved)
        return ID3PROP_E_INVALIDARG;
    const std::string target(resolved.get());
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return ID3PROP_E_INVALIDARG;
    if (!IsAsfFile(target))
        return ID3PROP_E_INVALIDARG;
    // A file without write permission bits is read-only even to a privileged caller, as the
    // read-only attribute is on other systems.
    if ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return ID3PROP_E_FAIL;

    ScratchCopy copy(target);
    if (!copy.IsReady())
        return ID3PROP_E_FAIL;
    {
        TagLib::ASF::File file(copy.Path().c_str(), /*readProperties=*/false);
        if (!file.isValid() || file.readOnly() || file.tag() == nullptr)
            return ID3PROP_E_FAIL;
        Apply(*file.tag(), name, value);
        if (!file.save())
            return ID3PROP_E_FAIL;
    }
    if (!IsAsfFile(copy.Path()))
        return ID3PROP_E_FAIL;
    return copy.Replace() ? ID3PROP_S_OK : ID3PROP_E_FAIL;
}

}  // namespace id3prop
