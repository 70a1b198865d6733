#pragma once

// Files for the fuzz targets: one private folder per process, whole-file reads and writes.

#include <string>

namespace fuzz {

// A folder of this process's own, made on first use and removed at exit.
const std::string& ScratchFolder();

bool WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes; empty also when it can't be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The names in a folder, without "." and "..".
int CountEntries(const std::string& folder);
// Removes every entry of the scratch folder (files and empty folders).
void ClearScratchFolder();

}  // namespace fuzz
