#include "io/file_identity.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace unisci {

#ifdef _WIN32
namespace {

// The C library gives no file index on Windows: the volume's serial number
// and the file's index do.
std::optional<FileIdentity> identity_of_handle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileInformationByHandle(handle, &info) == 0)
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
                      GetFileType(handle) == FILE_TYPE_DISK &&
                          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

}  // namespace

std::optional<FileIdentity> identity_of_descriptor(int descriptor) {
  return identity_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)));
}

std::optional<FileIdentity> identity_of_name(const std::string& name) {
  HANDLE handle =
      CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FileIdentity> identity = identity_of_handle(handle);
  CloseHandle(handle);
  return identity;
}
#else
namespace {

FileIdentity identity_of(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          S_ISREG(info.st_mode)};
}

}  // namespace

std::optional<FileIdentity> identity_of_descriptor(int descriptor) {
  struct stat info {};
  if (fstat(descriptor, &info) != 0) return std::nullopt;
  return identity_of(info);
}

std::optional<FileIdentity> identity_of_name(const std::string& name) {
  struct stat info {};
  if (stat(name.c_str(), &info) != 0) return std::nullopt;
  return identity_of(info);
}
#endif

}  // namespace unisci
