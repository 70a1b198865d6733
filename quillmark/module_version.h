#pragma once

namespace quillmark {

inline constexpr char kModuleDescription[] = "Quillmark Module";
inline constexpr char kModuleVersion[] = "1.0.0.1";

}  // namespace quillmark
