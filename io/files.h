// Byte sources and sinks, and the folder that opens them by name.
//
// The merge and the exports read and write through these small interfaces so
// that they work the same on real files and on memory (tests, fuzzing).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace unisci {

// A file that could not be opened, read, created, written or put in place,
// a calendar that is no text, or a workbook of more match lines than a sheet
// holds. `reason` is the errno value, 0 for NotText and TooManyRows.
// CreateTemporary: an output that can be put in place only by way of a
// temporary file in `temporary_folder`, where none could be made.
class FileError : public std::runtime_error {
 public:
  enum class Action { Open, Read, NotText, Create, CreateTemporary, Write, Replace, TooManyRows };

  FileError(Action action, std::string file, int reason, std::string temporary_folder = {});

  Action action() const { return action_; }
  const std::string& file() const { return file_; }
  int reason() const { return reason_; }
  const std::string& temporary_folder() const { return temporary_folder_; }

 private:
  Action action_;
  std::string file_;
  int reason_;
  std::string temporary_folder_;
};

// The errno value of the call that just failed, or `fallback` if it set none.
inline int error_or(int fallback) {
  return errno != 0 ? errno : fallback;
}

// Which file a name or an open file is: two names, or a name and a
// descriptor, of one file have the same identity, links included.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool regular = false;  // a regular file, not a pipe, a terminal or a device

  bool operator==(const FileIdentity&) const = default;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `n` bytes into `buf`; 0 means the end. Throws FileError.
  virtual std::size_t read(char* buf, std::size_t n) = 0;
  // The name that messages about this source give.
  virtual const std::string& name() const = 0;
  // Goes back to the first byte, if the source can: a regular file can, a
  // pipe or a device cannot. False if it cannot.
  virtual bool rewind() { return false; }
  // The file read, if it can be told.
  virtual std::optional<FileIdentity> identity() const { return std::nullopt; }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `n` bytes. Throws FileError.
  virtual void write(const char* buf, std::size_t n) = 0;
  // Ends the writing; an error that the system reports only now is thrown
  // here. Throws FileError.
  virtual void close() = 0;
  // The file written, if it can be told.
  virtual std::optional<FileIdentity> identity() const { return std::nullopt; }
};

// A file being replaced. Its bytes go to a temporary file beside it, which
// takes the file's place only at commit(): until then the earlier file stays
// whole, and an output dropped without commit() leaves nothing behind.
class Output : public ByteSink {
 public:
  // Puts the written file in place. Call after close(). Throws FileError.
  virtual void commit() = 0;
};

// The working folder: opens calendars for reading and outputs for writing by name.
class Folder {
 public:
  virtual ~Folder() = default;
  virtual std::unique_ptr<ByteSource> open(const std::string& name) = 0;
  // Readies the replacement of the file `name`, so that an output that cannot
  // be written shows before any work is done. Throws FileError.
  virtual std::unique_ptr<Output> create(const std::string& name) = 0;
  // The file `name` leads to, through links or not; nothing if there is none.
  virtual std::optional<FileIdentity> identity(const std::string& name) = 0;
};

}  // namespace unisci
