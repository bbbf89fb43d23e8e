#include "io/file_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace unisci {

#ifdef _WIN32
std::filesystem::path path_of(const std::string& name) {
  const int size = static_cast<int>(name.size());
  std::wstring wide(name.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), size)));
  return wide;
}

std::string name_of(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, name.data(), length, nullptr, nullptr);
  return name;
}
#else
std::filesystem::path path_of(const std::string& name) {
  return name;
}

std::string name_of(const std::filesystem::path& path) {
  return path.string();
}
#endif

}  // namespace unisci
