#include "io/disk_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "io/file_identity.h"
#include "io/file_names.h"
#include "io/signal_cleanup.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace unisci {

namespace fs = std::filesystem;

namespace {

int error_or(int fallback) {
  return errno != 0 ? errno : fallback;
}

class DiskSource : public ByteSource {
 public:
  DiskSource(std::FILE* f, std::string name) : f_(f), name_(std::move(name)) {}
  ~DiskSource() override { std::fclose(f_); }
  DiskSource(const DiskSource&) = delete;
  DiskSource& operator=(const DiskSource&) = delete;

  std::size_t read(char* buf, std::size_t n) override {
    errno = 0;
    std::size_t got = std::fread(buf, 1, n, f_);
    if (got == 0 && std::ferror(f_)) throw FileError(FileError::Action::Read, name_, error_or(EIO));
    return got;
  }

  const std::string& name() const override { return name_; }

  bool rewind() override {
    std::optional<FileIdentity> file = identity();
    if (!file || !file->regular) return false;
    std::clearerr(f_);
    return std::fseek(f_, 0, SEEK_SET) == 0;
  }

  std::optional<FileIdentity> identity() const override {
    return identity_of_descriptor(fileno(f_));
  }

 private:
  std::FILE* f_;
  std::string name_;
};

// The platform's calls for the few things the standard library lacks.
#ifdef _WIN32
// Opened so that the file can be removed while it is open: a console event,
// handled on another thread, must be able to take it away.
int open_new(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    errno = error == ERROR_FILE_EXISTS ? EEXIST : error == ERROR_DISK_FULL ? ENOSPC : EACCES;
    return -1;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) CloseHandle(handle);
  return fd;
}
std::FILE* file_of(int fd) {
  return _fdopen(fd, "wb");
}
bool writable(const std::string& path) {
  return _access(path.c_str(), 2) == 0;
}
int process_id() {
  return _getpid();
}
// Replaces `target` with `from` in one step, as rename() does on POSIX. A
// target open in another program, such as a table in a spreadsheet, cannot be
// replaced: access denied.
bool replace(const std::string& from, const std::string& target) {
  if (MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  DWORD error = GetLastError();
  errno = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                  error == ERROR_LOCK_VIOLATION
              ? EACCES
              : EIO;
  return false;
}
#else
int open_new(const std::string& path) {
  // The usual mode of a new file; the process's umask applies.
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
std::FILE* file_of(int fd) {
  return fdopen(fd, "wb");
}
bool writable(const std::string& path) {
  return access(path.c_str(), W_OK) == 0;
}
int process_id() {
  return static_cast<int>(getpid());
}
bool replace(const std::string& from, const std::string& target) {
#ifdef RENAME_EXCHANGE
  // Swapping the two files and then removing the earlier one is as atomic as
  // a rename over it, and faster on ext4, where a rename over a file first
  // starts writing the new one out: the text form of two calendars of
  // 500,000 lines takes about a quarter less time. Neither waits for the
  // disk: the outputs are not synced (see the manual page, FILE).
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    std::remove(from.c_str());
    return true;
  }
  // No earlier file, or a file system that cannot swap: a plain rename.
#endif
  return std::rename(from.c_str(), target.c_str()) == 0;
}
#endif

// Whether a rename over `name` would keep what the user had: false for a
// symbolic link, a file with other hard links, one of another user, or
// anything but a regular file. Throws FileError if `name` cannot be an output.
bool can_replace(const std::string& name) {
  std::error_code error;
  const fs::path path = path_of(name);
  fs::file_status link = fs::symlink_status(path, error);
  if (link.type() == fs::file_type::not_found) return true;
  if (error) throw FileError(FileError::Action::Create, name, error.value());
  if (fs::is_directory(fs::status(path, error)))
    throw FileError(FileError::Action::Create, name, EISDIR);
  bool replaceable = link.type() == fs::file_type::regular;
#ifndef _WIN32
  struct stat info {};
  if (lstat(name.c_str(), &info) == 0)
    replaceable = replaceable && info.st_nlink == 1 && info.st_uid == geteuid();
#endif
  // A file the user may not write is not replaced behind their back; one
  // that a link leads nowhere is created where the link points.
  errno = 0;
  if (!writable(name) && errno != ENOENT)
    throw FileError(FileError::Action::Create, name, error_or(EACCES));
  return replaceable;
}

// A new, hidden file beside `name`, opened for writing: ".name.XXXXXX".
std::pair<std::string, std::FILE*> create_temporary(const std::string& name) {
  const fs::path target = path_of(name);
  const std::string hidden_name = '.' + name_of(target.filename()) + '.';
  const std::string prefix = name_of(target.parent_path() / path_of(hidden_name));
  auto seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      static_cast<unsigned long long>(process_id()) << 32;
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = prefix;
    unsigned long long bits = seed + static_cast<unsigned long long>(attempt) * 0x9E3779B97F4A7C15U;
    for (int i = 0; i < 6; ++i, bits /= 36) path += kLetters[bits % 36];
    errno = 0;
    int fd = open_new(path);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      throw FileError(FileError::Action::Create, name, error_or(EACCES));
    }
    std::FILE* f = file_of(fd);
    if (f == nullptr) {
      int reason = error_or(EMFILE);
      std::remove(path.c_str());
      throw FileError(FileError::Action::Create, name, reason);
    }
    return {path, f};
  }
  throw FileError(FileError::Action::Create, name, EEXIST);
}

class DiskOutput : public Output {
 public:
  explicit DiskOutput(std::string name) : name_(std::move(name)) {
    if (!can_replace(name_)) {
      in_place_ = true;
      return;
    }
    // A file made and removed at once shows that the temporary file can be
    // made, without leaving one through the rest of the dialogue.
    try {
      auto [path, f] = create_temporary(name_);
      std::fclose(f);
      std::remove(path.c_str());
    } catch (const FileError& e) {
      // A folder where no new file may be made, around a file that may be
      // written: the file is written in place. Any other failure, a full disk
      // included, is reported: writing in place would empty the file first.
      bool denied = e.reason() == EACCES || e.reason() == EPERM || e.reason() == EROFS;
      std::error_code ignored;
      if (!denied || !fs::exists(path_of(name_), ignored) || !writable(name_)) throw;
      in_place_ = true;
    }
  }

  ~DiskOutput() override {
    if (f_ != nullptr) std::fclose(f_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
  }
  DiskOutput(const DiskOutput&) = delete;
  DiskOutput& operator=(const DiskOutput&) = delete;

  void write(const char* buf, std::size_t n) override {
    start();
    errno = 0;
    if (std::fwrite(buf, 1, n, f_) != n) fail(FileError::Action::Write);
  }

  void close() override {
    start();
    if (f_ == nullptr) return;  // closed already
    std::FILE* f = f_;
    f_ = nullptr;
    errno = 0;
    bool flushed = std::fflush(f) == 0 && std::ferror(f) == 0;
    int reason = error_or(EIO);
    if (std::fclose(f) != 0 && flushed) reason = error_or(EIO), flushed = false;
    if (!flushed) throw FileError(FileError::Action::Write, name_, reason);
  }

  void commit() override {
    if (temporary_.empty()) return;
    errno = 0;
    if (!replace(temporary_, name_)) fail(FileError::Action::Replace);
    temporary_.clear();
    registration_.reset();
  }

 private:
  // Opens the file the bytes go to when the writing starts: the temporary
  // file, with the permission bits of the file it will replace, or the file
  // itself, which is emptied then.
  void start() {
    if (started_) return;
    if (in_place_) {
      errno = 0;
      f_ = std::fopen(name_.c_str(), "wb");
      if (f_ == nullptr) fail(FileError::Action::Create);
    } else {
      auto [path, f] = create_temporary(name_);
      temporary_ = path;
      registration_.emplace(path);
      f_ = f;
      std::error_code ignored;
      fs::file_status earlier = fs::status(path_of(name_), ignored);
      if (fs::exists(earlier)) fs::permissions(path_of(temporary_), earlier.permissions(), ignored);
    }
    started_ = true;
    std::setvbuf(f_, nullptr, _IONBF, 0);  // the writer hands over large blocks
  }

  [[noreturn]] void fail(FileError::Action action) {
    throw FileError(action, name_, error_or(EIO));
  }

  std::string name_;
  bool in_place_ = false;
  bool started_ = false;
  std::string temporary_;  // empty when writing in place, or once committed
  std::optional<TemporaryFileRegistration> registration_;
  std::FILE* f_ = nullptr;
};

}  // namespace

std::unique_ptr<ByteSource> DiskFolder::open(const std::string& name) {
  errno = 0;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (f == nullptr) throw FileError(FileError::Action::Open, name, error_or(ENOENT));
  // The line reader does its own buffering in large blocks.
  std::setvbuf(f, nullptr, _IONBF, 0);
  return std::make_unique<DiskSource>(f, name);
}

std::unique_ptr<Output> DiskFolder::create(const std::string& name) {
  return std::make_unique<DiskOutput>(name);
}

std::optional<FileIdentity> DiskFolder::identity(const std::string& name) {
  return identity_of_name(name);
}

}  // namespace unisci
