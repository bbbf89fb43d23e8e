// Byte sources and sinks, and the folder that opens them by name.
//
// The merge and the exports read and write through these small interfaces so
// that they work the same on real files and on memory (tests, fuzzing).
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace unisci {

// A file that could not be opened, read or written. `reason` is the errno value.
class FileError : public std::runtime_error {
 public:
  enum class Action { Open, Read, Create, Write };

  FileError(Action action, std::string file, int reason);

  Action action() const { return action_; }
  const std::string& file() const { return file_; }
  int reason() const { return reason_; }

 private:
  Action action_;
  std::string file_;
  int reason_;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `n` bytes into `buf`; 0 means the end. Throws FileError.
  virtual std::size_t read(char* buf, std::size_t n) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `n` bytes. Throws FileError.
  virtual void write(const char* buf, std::size_t n) = 0;
  // Makes everything written durable as far as the system allows. Throws FileError.
  virtual void close() = 0;
};

// The working folder: opens calendars for reading and targets for writing by name.
class Folder {
 public:
  virtual ~Folder() = default;
  virtual std::unique_ptr<ByteSource> open(const std::string& name) = 0;
  // Creates the file if it does not exist, so that a target that cannot be
  // created shows at once. An existing file is emptied only when the first
  // byte is written or the sink is closed: a run that fails before that
  // leaves the earlier file whole.
  virtual std::unique_ptr<ByteSink> create(const std::string& name) = 0;
};

// The real working folder of the process.
class DiskFolder : public Folder {
 public:
  std::unique_ptr<ByteSource> open(const std::string& name) override;
  std::unique_ptr<ByteSink> create(const std::string& name) override;
};

}  // namespace unisci
