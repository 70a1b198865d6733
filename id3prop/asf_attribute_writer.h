#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace id3prop {

struct Picture {
    std::string mimeType;
    uint32_t type = 0;  // the ID3v2 picture type
    std::string description;
    std::string data;
};

using AttributeValue = std::variant<std::string, uint32_t, Picture>;

// Writes one attribute into the ASF file at `path` (UTF-8) and returns a result code of
// id3prop.h. The file is written through a copy beside it that replaces it only once the
// copy is saved and reads back as a valid ASF file, so a failure leaves it byte for byte
// as it was. Throws only std::bad_alloc.
int32_t WriteAsfAttribute(const std::string& path, const std::string& name,
                          const AttributeValue& value);

using Attribute = std::pair<std::string, AttributeValue>;

// Writes every attribute into the ASF file at `path` in place, with one save, for a file no
// one else sees yet (an output before it is put at its name). An attribute that can't be
// written as it is (see WriteAsfAttribute) is left out; a long content description text is
// cut as there. Returns a result code of id3prop.h. Throws only std::bad_alloc.
int32_t WriteAsfAttributesInPlace(const std::string& path,
                                  const std::vector<Attribute>& attributes);

}  // namespace id3prop
