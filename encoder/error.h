#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

namespace sw {

// The one error type of the program: raised by engine and encoder code, caught at each event
// handler's boundary.
class Error : public std::exception {
public:
    Error(uint32_t number, QString description)
        : number_(number),
          description_(std::move(description)),
          what_(description_.toStdString()) {}

    uint32_t number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    uint32_t number_;
    QString description_;
    std::string what_;
};

}  // namespace sw
