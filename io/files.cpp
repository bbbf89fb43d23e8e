#include "io/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace unisci {

FileError::FileError(Action action, std::string file, int reason)
    : std::runtime_error(file + ": " + std::strerror(reason)),
      action_(action),
      file_(std::move(file)),
      reason_(reason) {}

namespace {

// Files are opened in binary mode: line ends are handled by the line reader,
// and the output uses LF on every platform.
class DiskSource : public ByteSource {
 public:
  DiskSource(std::FILE* f, std::string name) : f_(f), name_(std::move(name)) {}
  ~DiskSource() override { std::fclose(f_); }
  DiskSource(const DiskSource&) = delete;
  DiskSource& operator=(const DiskSource&) = delete;

  std::size_t read(char* buf, std::size_t n) override {
    errno = 0;
    std::size_t got = std::fread(buf, 1, n, f_);
    if (got == 0 && std::ferror(f_))
      throw FileError(FileError::Action::Read, name_, errno != 0 ? errno : EIO);
    return got;
  }

 private:
  std::FILE* f_;
  std::string name_;
};

class DiskSink : public ByteSink {
 public:
  DiskSink(std::FILE* f, std::string name) : f_(f), name_(std::move(name)) {}
  ~DiskSink() override {
    if (f_ != nullptr) std::fclose(f_);
  }
  DiskSink(const DiskSink&) = delete;
  DiskSink& operator=(const DiskSink&) = delete;

  void write(const char* buf, std::size_t n) override {
    empty();
    errno = 0;
    if (std::fwrite(buf, 1, n, f_) != n) fail(FileError::Action::Write);
  }

  void close() override {
    if (f_ == nullptr) return;
    empty();
    std::FILE* f = f_;
    f_ = nullptr;
    errno = 0;
    bool flushed = std::fflush(f) == 0 && !std::ferror(f);
    int err = errno;
    if (std::fclose(f) != 0 && flushed) err = errno, flushed = false;
    if (!flushed) throw FileError(FileError::Action::Write, name_, err != 0 ? err : EIO);
  }

 private:
  // Reopens the file, which was opened for appending, emptied for writing.
  void empty() {
    if (emptied_) return;
    emptied_ = true;
    errno = 0;
    f_ = std::freopen(name_.c_str(), "wb", f_);
    if (f_ == nullptr) fail(FileError::Action::Create);
    std::setvbuf(f_, nullptr, _IONBF, 0);
  }

  [[noreturn]] void fail(FileError::Action action) {
    throw FileError(action, name_, errno != 0 ? errno : EIO);
  }

  std::FILE* f_;
  std::string name_;
  bool emptied_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> DiskFolder::open(const std::string& name) {
  errno = 0;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (f == nullptr) throw FileError(FileError::Action::Open, name, errno != 0 ? errno : ENOENT);
  // The line reader does its own buffering in large blocks.
  std::setvbuf(f, nullptr, _IONBF, 0);
  return std::make_unique<DiskSource>(f, name);
}

std::unique_ptr<ByteSink> DiskFolder::create(const std::string& name) {
  errno = 0;
  std::FILE* f = std::fopen(name.c_str(), "ab");
  if (f == nullptr) throw FileError(FileError::Action::Create, name, errno != 0 ? errno : EACCES);
  return std::make_unique<DiskSink>(f, name);
}

}  // namespace unisci
