// In-memory stand-ins for the calendar files, for tests and fuzzing.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "io/files.h"

namespace unisci::testing {

// Hands out a string at most `chunk` bytes per read, so that small chunks
// show every boundary case of the reader.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string_view text, std::size_t chunk = 1 << 20,
                        std::string name = "memoria")
      : whole_(text), text_(text), chunk_(chunk), name_(std::move(name)) {}

  std::size_t read(char* buf, std::size_t n) override {
    std::size_t got = std::min({n, chunk_, text_.size()});
    text_.copy(buf, got);
    text_.remove_prefix(got);
    return got;
  }
  const std::string& name() const override { return name_; }
  bool rewind() override {
    text_ = whole_;
    return true;
  }

 private:
  std::string_view whole_;
  std::string_view text_;
  std::size_t chunk_;
  std::string name_;
};

// Collects what is written into `text`, which it empties first; fails with
// ENOSPC, as a full disk does, once `room` bytes have been written.
class StringSink : public ByteSink {
 public:
  explicit StringSink(std::string& text, std::size_t room = std::string::npos)
      : text_(text), room_(room) {
    text_.clear();
  }
  void write(const char* buf, std::size_t n) override {
    if (n > room_ - std::min(room_, text_.size()))
      throw FileError(FileError::Action::Write, "memoria", ENOSPC);
    text_.append(buf, n);
  }
  void close() override {}

 private:
  std::string& text_;
  std::size_t room_;
};

// A working folder in memory. Names in `folders` are folders: they cannot be
// created, and reading them fails as reading a folder does. An output reaches
// `files` only when it is committed.
class MemoryFolder : public Folder {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders;

  std::unique_ptr<ByteSource> open(const std::string& name) override {
    if (folders.count(name) > 0) return std::make_unique<FailingSource>(name);
    auto found = files.find(name);
    if (found == files.end()) throw FileError(FileError::Action::Open, name, ENOENT);
    return std::make_unique<NamedSource>(found->second, name, *this);
  }

  std::unique_ptr<Output> create(const std::string& name) override {
    if (folders.count(name) > 0) throw FileError(FileError::Action::Create, name, EISDIR);
    return std::make_unique<MemoryOutput>(files, name);
  }

  // Each name is a file of its own.
  std::optional<FileIdentity> identity(const std::string& name) override {
    if (files.count(name) == 0 && folders.count(name) == 0) return std::nullopt;
    return FileIdentity{0, std::hash<std::string>{}(name), folders.count(name) == 0};
  }

 private:
  // A file's bytes, with the file's identity.
  class NamedSource : public StringSource {
   public:
    NamedSource(std::string_view text, const std::string& name, MemoryFolder& folder)
        : StringSource(text, 1 << 20, name), identity_(folder.identity(name)) {}
    std::optional<FileIdentity> identity() const override { return identity_; }

   private:
    std::optional<FileIdentity> identity_;
  };

  class FailingSource : public ByteSource {
   public:
    explicit FailingSource(std::string name) : name_(std::move(name)) {}
    std::size_t read(char*, std::size_t) override {
      throw FileError(FileError::Action::Read, name_, EISDIR);
    }
    const std::string& name() const override { return name_; }

   private:
    std::string name_;
  };

  class MemoryOutput : public Output {
   public:
    MemoryOutput(std::map<std::string, std::string>& files, std::string name)
        : files_(files), name_(std::move(name)) {}
    void write(const char* buf, std::size_t n) override { written_.append(buf, n); }
    void close() override {}
    void commit() override { files_[name_] = written_; }

   private:
    std::map<std::string, std::string>& files_;
    std::string name_;
    std::string written_;
  };
};

}  // namespace unisci::testing
