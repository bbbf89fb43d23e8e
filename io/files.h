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

// A file that could not be opened, read, created, written or put in place,
// or a calendar that is no text. `reason` is the errno value, 0 for NotText.
// CreateTemporary: an output that can be put in place only by way of a
// temporary file in `temporary_folder`, where none could be made.
class FileError : public std::runtime_error {
 public:
  enum class Action { Open, Read, NotText, Create, CreateTemporary, Write, Replace };

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

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `n` bytes into `buf`; 0 means the end. Throws FileError.
  virtual std::size_t read(char* buf, std::size_t n) = 0;
  // The name that messages about this source give.
  virtual const std::string& name() const = 0;
  // True if opening the file again reads the same bytes again: a regular
  // file, not a pipe or a device.
  virtual bool rereadable() const { return true; }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `n` bytes. Throws FileError.
  virtual void write(const char* buf, std::size_t n) = 0;
  // Ends the writing; an error that the system reports only now is thrown
  // here. Throws FileError.
  virtual void close() = 0;
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
  // True if both names lead to one file, through links or not.
  virtual bool same_file(const std::string& name1, const std::string& name2) = 0;
};

}  // namespace unisci
