// The library's only exports. Nothing may be thrown across them.
#include <new>

#include "id3prop/asf_attribute_writer.h"
#include "id3prop/id3prop.h"

namespace {

int32_t Guarded(const char* file, const char* name, const id3prop::AttributeValue& value) {
    try {
        return id3prop::WriteAsfAttribute(file, name, value);
    } catch (const std::bad_alloc&) {
        return ID3PROP_E_OUTOFMEMORY;
    } catch (...) {
        return ID3PROP_E_FAIL;
    }
}

}  // namespace

extern "C" int32_t SetID3PropertyString(const char* file, const char* name, const char* value) {
    if (file == nullptr || name == nullptr || value == nullptr)
        return ID3PROP_E_POINTER;
    try {
        return Guarded(file, name, std::string(value));
    } catch (...) {  // copying the text ran out of memory
        return ID3PROP_E_OUTOFMEMORY;
    }
}

extern "C" int32_t SetID3PropertyDWORD(const char* file, const char* name, uint32_t value) {
    if (file == nullptr || name == nullptr)
        return ID3PROP_E_POINTER;
    return Guarded(file, name, value);
}

extern "C" int32_t SetID3PropertyPicture(const char* file, const char* name, const char* mimeType,
                                         uint32_t pictureType, const char* description,
                                         const void* data, uint32_t size) {
    if (file == nullptr || name == nullptr || mimeType == nullptr || description == nullptr ||
        data == nullptr)
        return ID3PROP_E_POINTER;
    try {
        const id3prop::Picture picture{mimeType, pictureType, description,
                                       std::string(static_cast<const char*>(data), size)};
        return Guarded(file, name, picture);
    } catch (...) {  // copying the picture ran out of memory
        return ID3PROP_E_OUTOFMEMORY;
    }
}
