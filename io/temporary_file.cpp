#include "io/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "io/file_names.h"
#include "io/files.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace unisci {

namespace {

#ifdef _WIN32
int open_new(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int close_file(int fd) {
  return _close(fd);
}
int process_id() {
  return _getpid();
}
#else
int open_new(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}
int close_file(int fd) {
  return ::close(fd);
}
int process_id() {
  return static_cast<int>(getpid());
}
#endif

// Makes the file under a fresh name; returns its path.
std::string create(const std::string& folder, std::string_view suffix) {
  FreshNames names(name_of(path_of(folder) / "unisci-calendari-"));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = names.next();
    path += suffix;
    errno = 0;
    int fd = open_new(path);
    if (fd >= 0) {
      close_file(fd);
      return path;
    }
    if (errno != EEXIST) throw FileError(FileError::Action::Create, folder, error_or(EACCES));
  }
  throw FileError(FileError::Action::Create, folder, EEXIST);
}

}  // namespace

FreshNames::FreshNames(std::string prefix)
    : prefix_(std::move(prefix)),
      seed_(static_cast<unsigned long long>(
                std::chrono::steady_clock::now().time_since_epoch().count()) ^
            static_cast<unsigned long long>(process_id()) << 32) {}

std::string FreshNames::next() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = prefix_;
  unsigned long long bits = seed_ + drawn_++ * 0x9E3779B97F4A7C15U;
  for (int i = 0; i < 6; ++i, bits /= 36) name += kLetters[bits % 36];
  return name;
}

std::string system_temporary_folder() {
#ifdef _WIN32
  // Without its final backslash, which stat() of the C library rejects.
  char folder[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) return ".";
  if (length > 3 && folder[length - 1] == '\\') --length;
  return {folder, length};
#else
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
#endif
}

TemporaryFile::TemporaryFile(const std::string& folder, std::string_view suffix)
    : path_(create(folder, suffix)), registration_(path_) {}

TemporaryFile::~TemporaryFile() {
  std::remove(path_.c_str());
}

}  // namespace unisci
