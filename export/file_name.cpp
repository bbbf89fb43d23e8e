#include "export/file_name.h"

#include "io/encoding.h"

namespace unisci {

std::string shown_file_name(const std::string& file) {
  if (file == "-") return "standard input";
  if (is_utf8(file)) return file;
  std::string shown;
  append_windows1252_as_utf8(shown, file);
  return shown;
}

std::string_view without_folders(std::string_view file) {
  std::size_t slash = file.find_last_of("/\\");
  return slash == file.npos ? file : file.substr(slash + 1);
}

std::string_view without_extension(std::string_view file) {
  std::size_t dot = file.rfind('.');
  return dot == file.npos || dot == 0 ? file : file.substr(0, dot);
}

}  // namespace unisci
