#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace mellorin::test {

inline std::vector<uint8_t> ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = file.readAll();
    return {all.begin(), all.end()};
}

inline uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) |
           static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(offset + 2)) << 16 |
           static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

inline uint16_t Le16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

inline std::string Id(const std::vector<uint8_t>& bytes, size_t offset) {
    return {bytes.begin() + static_cast<long>(offset),
            bytes.begin() + static_cast<long>(offset) + 4};
}

}  // namespace mellorin::test
