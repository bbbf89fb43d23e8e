#include "io/disk_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "io/file_identity.h"
#include "io/file_names.h"
#include "io/signal_cleanup.h"
#include "io/temporary_file.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace unisci {

namespace fs = std::filesystem;

namespace {

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

// Who may read a temporary file: whoever the umask lets read a new file, as
// for one beside its output that becomes the output; or its owner alone, in
// the temporary folder that all users share.
enum class Readers { AsNewFile, OwnerOnly };

// The error number of what took the place of an output during the run.
int not_a_file(bool directory) {
  return directory ? EISDIR : EEXIST;
}

// The platform's calls for the few things the standard library lacks.
#ifdef _WIN32
int error_number(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    default: return EIO;
  }
}
// Opened so that the file can be removed while it is open: a console event,
// handled on another thread, must be able to take it away.
int open_new(const std::string& path, Readers /*unused*/) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = error_number(GetLastError());
    return -1;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) CloseHandle(handle);
  return fd;
}
std::FILE* file_of(int fd) {
  return _fdopen(fd, "wb");
}
void close_descriptor(int fd) {
  _close(fd);
}
bool writable(const std::string& path) {
  return _access(path.c_str(), 2) == 0;
}

// Replaces `target` with `from` in one step, as rename() does on POSIX. A
// target open in another program, such as a table in a spreadsheet, cannot be
// replaced: access denied.
bool replace(const std::string& from, const std::string& target) {
  DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    errno = not_a_file((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    return false;
  }
  if (MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  errno = error_number(GetLastError()) == EACCES ? EACCES : EIO;
  return false;
}
// Whether a rename over the regular file `name` keeps its owner and links.
bool keeps_owner_and_links(const std::string&) {
  return true;
}
void keep_owner(std::FILE*, const std::string&) {}
// Copies the file `from` over `target`, which stays the same file. Throws
// FileError.
void copy_over(const std::string& from, const std::string& target) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(target.c_str(), "wb");
  int reason = error_or(EIO);
  std::vector<char> block(std::size_t{256} * 1024);
  bool copied = in != nullptr && out != nullptr;
  while (copied) {
    std::size_t got = std::fread(block.data(), 1, block.size(), in);
    if (got == 0) {
      copied = std::ferror(in) == 0;
      break;
    }
    copied = std::fwrite(block.data(), 1, got, out) == got;
  }
  if (!copied) reason = error_or(reason);
  if (out != nullptr && std::fclose(out) != 0 && copied) copied = false, reason = error_or(EIO);
  if (in != nullptr) std::fclose(in);
  if (!copied) throw FileError(FileError::Action::Replace, target, reason);
}
#else
int open_new(const std::string& path, Readers readers) {
  // The usual mode of a new file, to which the process's umask applies.
  mode_t mode = readers == Readers::OwnerOnly ? 0600 : 0666;
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}
std::FILE* file_of(int fd) {
  return fdopen(fd, "wb");
}
void close_descriptor(int fd) {
  ::close(fd);
}
bool writable(const std::string& path) {
  return access(path.c_str(), W_OK) == 0;
}

// Whether what `name` holds now is not something the program may replace:
// anything but a regular file. Sets errno to say what.
bool taken_by_other(const std::string& name) {
  struct stat info {};
  if (lstat(name.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return false;
  errno = not_a_file(S_ISDIR(info.st_mode));
  return true;
}
bool replace(const std::string& from, const std::string& target) {
#ifdef RENAME_EXCHANGE
  // Swapping the two files and then removing the earlier one is as atomic as
  // a rename over it, and faster on ext4, where a rename over a file first
  // starts writing the new one out: the text form of two calendars of
  // 500,000 lines takes about a quarter less time. Neither waits for the
  // disk: the outputs are not synced (see the manual page, FILE). What was
  // swapped out and is not a file, such as a folder put there during the
  // run, is swapped back.
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    if (!taken_by_other(from)) {
      std::remove(from.c_str());
      return true;
    }
    int reason = errno;
    renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
    errno = reason;
    return false;
  }
  // No earlier file, or a file system that cannot swap: a plain rename.
#endif
  return !taken_by_other(target) && std::rename(from.c_str(), target.c_str()) == 0;
}
bool keeps_owner_and_links(const std::string& name) {
  struct stat info {};
  return lstat(name.c_str(), &info) == 0 && info.st_nlink == 1 &&
         (info.st_uid == geteuid() || geteuid() == 0);
}
// Gives the new file `f` the owner and group of the file `name` it is to
// replace, or the group alone where the owner cannot be given, as far as the
// process may.
void keep_owner(std::FILE* f, const std::string& name) {
  struct stat earlier {};
  if (stat(name.c_str(), &earlier) != 0) return;
  if (fchown(fileno(f), earlier.st_uid, earlier.st_gid) != 0)
    (void)!fchown(fileno(f), static_cast<uid_t>(-1), earlier.st_gid);
}
// Writes all `n` bytes of `buf` to `fd`; false with errno set if it cannot.
bool write_all(int fd, const char* buf, std::size_t n) {
  while (n > 0) {
    ssize_t done = ::write(fd, buf, n);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return false;
    if (done == 0) {
      errno = EIO;
      return false;
    }
    buf += done;
    n -= static_cast<std::size_t>(done);
  }
  return true;
}
bool copy_bytes(int in, int out, off_t size) {
  // The room is taken first where the file system can: a full disk or a
  // file-size limit then shows before the earlier content is touched.
  int reserved = size > 0 ? posix_fallocate(out, 0, size) : 0;
  if (reserved == ENOSPC || reserved == EFBIG || reserved == EDQUOT) {
    errno = reserved;
    return false;
  }
  std::vector<char> block(std::size_t{256} * 1024);
  for (;;) {
    ssize_t got = ::read(in, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return ftruncate(out, size) == 0;
    if (!write_all(out, block.data(), static_cast<std::size_t>(got))) return false;
  }
}
void copy_over(const std::string& from, const std::string& target) {
  errno = 0;
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  // Opened without emptying it, and without waiting for the reader of a pipe
  // put there during the run: it is no file, and is not written.
  int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  struct stat source {};
  struct stat earlier {};
  bool copied = in >= 0 && out >= 0 && fstat(in, &source) == 0 && fstat(out, &earlier) == 0;
  if (copied && !S_ISREG(earlier.st_mode)) {
    copied = false;
    errno = not_a_file(false);
  }
  copied = copied && copy_bytes(in, out, source.st_size);
  int reason = error_or(EIO);
  if (out >= 0 && ::close(out) != 0 && copied) copied = false, reason = error_or(EIO);
  if (in >= 0) ::close(in);
  if (!copied) throw FileError(FileError::Action::Replace, target, reason);
}
#endif

// The longest name of a file that the usual file systems hold, in bytes.
constexpr std::size_t kLongestName = 255;

// The start of the hidden name of a temporary file for `name` in `folder`:
// ".name.", which TemporaryFile::create() ends with six characters. The part of
// `name` is cut where the whole would be too long, not inside a character.
std::string hidden_prefix(const std::string& folder, const std::string& name) {
  std::string borrowed = name_of(path_of(name).filename());
  std::size_t room = kLongestName - 8;
  if (borrowed.size() > room) {
    while (room > 0 && (static_cast<unsigned char>(borrowed[room]) & 0xC0) == 0x80) --room;
    borrowed.resize(room);
  }
  return name_of(path_of(folder) / path_of('.' + borrowed + '.'));
}

// A new, hidden file for the output `name`, known to the signal cleanup from
// the moment it exists until it is removed or put in place.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() { remove(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Makes the file in `folder` and returns it open for writing, which the
  // caller closes. Throws FileError(Create, name).
  std::FILE* create(const std::string& folder, const std::string& name, Readers readers);
  const std::string& path() const { return path_; }
  bool exists() const { return !path_.empty(); }
  // Takes the file away, if it is still there.
  void remove();
  // Forgets the file, which has been put in place under another name. Call
  // while signals are held.
  void forget();

 private:
  std::string path_;
  std::optional<TemporaryFileRegistration> registration_;
};

std::FILE* TemporaryFile::create(const std::string& folder, const std::string& name,
                                 Readers readers) {
  FreshNames names(hidden_prefix(folder, name));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = names.next();
    int fd = -1;
    {
      SignalsHeld held;
      errno = 0;
      fd = open_new(path, readers);
      if (fd >= 0) {
        registration_.emplace(path);
        path_ = path;
      }
    }
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) throw FileError(FileError::Action::Create, name, error_or(EACCES));
    std::FILE* f = file_of(fd);
    if (f == nullptr) {
      int reason = error_or(EMFILE);
      close_descriptor(fd);
      remove();
      throw FileError(FileError::Action::Create, name, reason);
    }
    return f;
  }
  throw FileError(FileError::Action::Create, name, EEXIST);
}

void TemporaryFile::remove() {
  if (path_.empty()) return;
  SignalsHeld held;
  std::remove(path_.c_str());
  forget();
}

void TemporaryFile::forget() {
  registration_.reset();
  path_.clear();
}

// How an output takes the place of the earlier file.
enum class Placing {
  // Written to a temporary file beside the target and renamed over it.
  Rename,
  // Written to a temporary file in the system's temporary folder and copied
  // over the target, which stays the same file: for a symbolic link, a file
  // with other hard links, one of another user, or one in a folder where no
  // new file may be made.
  Copy,
  // Written to the target itself: a device or a pipe, which holds no earlier
  // content to keep.
  Direct,
};

// How the output `name` can take its place and keep what the user had.
// Throws FileError if `name` cannot be an output.
Placing placing_of(const std::string& name) {
  std::error_code error;
  fs::file_status link = fs::symlink_status(path_of(name), error);
  if (link.type() == fs::file_type::not_found) return Placing::Rename;
  if (error) throw FileError(FileError::Action::Create, name, error.value());
  fs::file_status target = fs::status(path_of(name), error);
  if (fs::is_directory(target)) throw FileError(FileError::Action::Create, name, EISDIR);
  // A file the user may not write is not replaced behind their back; one
  // that a link leads nowhere is created where the link points.
  errno = 0;
  if (!writable(name) && errno != ENOENT)
    throw FileError(FileError::Action::Create, name, error_or(EACCES));
  if (target.type() != fs::file_type::regular && target.type() != fs::file_type::not_found)
    return Placing::Direct;
  bool renamed = link.type() == fs::file_type::regular && keeps_owner_and_links(name);
  return renamed ? Placing::Rename : Placing::Copy;
}

std::string folder_of(const std::string& name) {
  return name_of(path_of(name).parent_path());
}

class DiskOutput : public Output {
 public:
  // A file made and removed at once shows that the temporary file can be
  // made, without leaving one through the rest of the dialogue.
  explicit DiskOutput(std::string name) : name_(std::move(name)), placing_(placing_of(name_)) {
    if (placing_ == Placing::Rename) {
      int reason = temporary_file_failure();
      // A folder where no new file may be made, around a file that may be
      // written: the output is copied over it. Any other failure, a full
      // disk included, is reported.
      bool denied = reason == EACCES || reason == EPERM || reason == EROFS;
      std::error_code ignored;
      if (reason != 0 && (!denied || !fs::exists(path_of(name_), ignored) || !writable(name_)))
        throw FileError(FileError::Action::Create, name_, reason);
      if (reason != 0) placing_ = Placing::Copy;
    }
    if (placing_ == Placing::Copy) {
      TemporaryFile probe;
      std::fclose(create_temporary(probe));
    }
  }

  ~DiskOutput() override {
    if (f_ != nullptr) std::fclose(f_);
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
    std::FILE* f = std::exchange(f_, nullptr);
    errno = 0;
    bool flushed = std::fflush(f) == 0 && std::ferror(f) == 0;
    int reason = error_or(EIO);
    if (std::fclose(f) != 0 && flushed) reason = error_or(EIO), flushed = false;
    if (!flushed) throw FileError(FileError::Action::Write, name_, reason);
  }

  // Puts the output in place with signals held: a signal then comes after
  // it, never in the middle.
  void commit() override {
    if (!temporary_.exists()) return;
    if (placing_ == Placing::Rename) {
      SignalsHeld held;
      errno = 0;
      if (!replace(temporary_.path(), name_)) fail(FileError::Action::Replace);
      temporary_.forget();
    } else {
      SignalsHeld held;
      copy_over(temporary_.path(), name_);
    }
    temporary_.remove();
  }

 private:
  // Makes `file`, the temporary file of the output as placing_ has it, and
  // returns it open for writing. Throws FileError.
  std::FILE* create_temporary(TemporaryFile& file) {
    if (placing_ == Placing::Rename)
      return file.create(folder_of(name_), name_, Readers::AsNewFile);
    std::string folder = system_temporary_folder();
    try {
      return file.create(folder, name_, Readers::OwnerOnly);
    } catch (const FileError& e) {
      throw FileError(FileError::Action::CreateTemporary, name_, e.reason(), folder);
    }
  }

  // 0 if the temporary file of the output can be made, the reason why not
  // otherwise.
  int temporary_file_failure() {
    try {
      TemporaryFile probe;
      std::fclose(create_temporary(probe));
      return 0;
    } catch (const FileError& e) {
      return e.reason();
    }
  }

  // Opens the file the bytes go to when the writing starts: a temporary file
  // or, for a device or a pipe, the target itself. One beside the target gets
  // its permission bits, owner and group.
  void start() {
    if (started_) return;
    started_ = true;
    if (placing_ == Placing::Direct) {
      errno = 0;
      f_ = std::fopen(name_.c_str(), "wb");
      if (f_ == nullptr) fail(FileError::Action::Create);
    } else {
      f_ = create_temporary(temporary_);
    }
    if (placing_ == Placing::Rename) {
      keep_owner(f_, name_);
      std::error_code ignored;
      fs::file_status earlier = fs::status(path_of(name_), ignored);
      if (fs::exists(earlier))
        fs::permissions(path_of(temporary_.path()), earlier.permissions(), ignored);
    }
    std::setvbuf(f_, nullptr, _IONBF, 0);  // the writer hands over large blocks
  }

  [[noreturn]] void fail(FileError::Action action) {
    throw FileError(action, name_, error_or(EIO));
  }

  std::string name_;
  Placing placing_;
  bool started_ = false;
  TemporaryFile temporary_;  // none once committed, and for Placing::Direct
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
