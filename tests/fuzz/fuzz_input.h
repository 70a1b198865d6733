#pragma once

// The fields of one fuzz input: each taken field is a length byte and that many bytes (cut at
// the end of the input); what is left after them is the last field. A plain splitter rather
// than libFuzzer's data provider, so the corpus replay builds with any compiler.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    uint8_t takeByte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto byte = static_cast<uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }

    std::string takeField() {
        const uint8_t wanted = takeByte();  // before rest_ is measured
        const size_t length = std::min<size_t>(wanted, rest_.size());
        std::string field(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return field;
    }

    std::string rest() const { return std::string(rest_); }

private:
    std::string_view rest_;
};

// Builds an input that FuzzInput splits back into `fields` then `rest` (for the seeds).
inline std::string joinFields(std::initializer_list<std::string_view> fields,
                              std::string_view rest) {
    std::string input;
    for (const std::string_view field : fields) {
        input += static_cast<char>(std::min<size_t>(field.size(), 255));
        input += field.substr(0, 255);
    }
    input += rest;
    return input;
}

}  // namespace fuzz
