#include "id3prop/asf_attribute_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
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

// Content description fields and attribute names carry a 16-bit byte count, terminator
// included; a longer text would overrun into the fields after it.
constexpr size_t kMaxUtf16Units = 32766;

bool IsContentDescription(const std::string& name) {
    return name == "Title" || name == "Author" || name == "Description";
}

std::string AsText(const AttributeValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return std::to_string(std::get<uint32_t>(value));
}

TagLib::ASF::Attribute AsAttribute(const AttributeValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return TagLib::ASF::Attribute(Utf8(*text));
    if (const auto* number = std::get_if<uint32_t>(&value))
        return TagLib::ASF::Attribute(static_cast<unsigned int>(*number));
    const auto& source = std::get<Picture>(value);
    TagLib::ASF::Picture picture;
    picture.setMimeType(Utf8(source.mimeType));
    picture.setType(static_cast<TagLib::ASF::Picture::Type>(source.type & 0xFF));
    picture.setDescription(Utf8(source.description));
    picture.setPicture(
        TagLib::ByteVector(source.data.data(), static_cast<unsigned int>(source.data.size())));
    return TagLib::ASF::Attribute(picture);
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
    } else {
        tag.setAttribute(Utf8(name), AsAttribute(value));
    }
}

// Why the value can't be written as it is, or S_OK.
int32_t CheckArguments(const std::string& path, const std::string& name,
                       const AttributeValue& value) {
    if (name.empty() || path.empty() || !IsValidUtf8(name) ||
        Utf8PrefixForUtf16Units(name, kMaxUtf16Units) < name.size())
        return ID3PROP_E_INVALIDARG;
    if (const auto* text = std::get_if<std::string>(&value); text && !IsValidUtf8(*text))
        return ID3PROP_E_INVALIDARG;
    if (const auto* picture = std::get_if<Picture>(&value)) {
        // Type, size, two terminated UTF-16 texts (at most two units a byte) and the data.
        const uint64_t total = 5 +
                               (picture->mimeType.size() + picture->description.size() + 2) * 4 +
                               uint64_t{picture->data.size()};
        const bool fits = total <= 0xFFFFFFFFu;
        if (IsContentDescription(name) || picture->mimeType.empty() || picture->data.empty() ||
            !fits || !IsValidUtf8(picture->mimeType) || !IsValidUtf8(picture->description))
            return ID3PROP_E_INVALIDARG;
    }
    return ID3PROP_S_OK;
}

// Cut at a character boundary rather than refused: the start of a long title is still the
// title. True when the value was cut.
bool FitValue(const std::string& name, AttributeValue* value) {
    auto* text = std::get_if<std::string>(value);
    if (!text || !IsContentDescription(name))
        return false;
    const size_t keep = Utf8PrefixForUtf16Units(*text, kMaxUtf16Units);
    const bool cut = keep < text->size();
    text->resize(keep);
    return cut;
}

}  // namespace

int32_t WriteAsfAttributesInPlace(const std::string& path,
                                  const std::vector<Attribute>& attributes) {
    TagLib::ASF::File file(path.c_str(), /*readProperties=*/false);
    if (!file.isValid() || file.readOnly() || file.tag() == nullptr)
        return ID3PROP_E_FAIL;
    bool cut = false;
    for (const auto& [name, value] : attributes) {
        if (CheckArguments(path, name, value) != ID3PROP_S_OK)
            continue;
        AttributeValue fitted = value;
        cut |= FitValue(name, &fitted);
        Apply(*file.tag(), name, fitted);
    }
    if (!file.save())
        return ID3PROP_E_FAIL;
    return cut ? ID3PROP_S_TRUNCATED : ID3PROP_S_OK;
}

int32_t WriteAsfAttribute(const std::string& path, const std::string& name,
                          const AttributeValue& value) {
    if (const int32_t check = CheckArguments(path, name, value); check != ID3PROP_S_OK)
        return check;
    AttributeValue fitted = value;
    const bool cut = FitValue(name, &fitted);

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
        Apply(*file.tag(), name, fitted);
        if (!file.save())
            return ID3PROP_E_FAIL;
    }
    if (!IsAsfFile(copy.Path()))
        return ID3PROP_E_FAIL;
    if (!copy.Replace())
        return ID3PROP_E_FAIL;
    return cut ? ID3PROP_S_TRUNCATED : ID3PROP_S_OK;
}

}  // namespace id3prop
