// File names as the program holds them and as std::filesystem takes them.
#pragma once

#include <filesystem>
#include <string>

namespace unisci {

// A file's name as std::filesystem takes it, and back. The program holds names
// as the system hands them: on Windows in the process's code page, UTF-8 by
// the program's manifest, in which std::filesystem does not read them (it
// takes each byte for a character).
std::filesystem::path path_of(const std::string& name);
std::string name_of(const std::filesystem::path& path);

}  // namespace unisci
