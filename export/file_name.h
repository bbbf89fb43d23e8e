// A calendar's file name as the forms show it to their readers.
#pragma once

#include <string>
#include <string_view>

namespace unisci {

// `file` as given, in UTF-8: "standard input" for "-", and a name that is not
// valid UTF-8 read as Windows-1252.
std::string shown_file_name(const std::string& file);

// The name of a file without the folders before it.
std::string_view without_folders(std::string_view file);

// The name of a file without its extension, if it has one.
std::string_view without_extension(std::string_view file);

}  // namespace unisci
