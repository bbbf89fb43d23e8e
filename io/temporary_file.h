// A scratch file of the program's own, for a library that writes only to a
// file name: made under a name no other file has, removed when dropped and,
// while it exists, by a signal (see signal_cleanup.h).
#pragma once

#include <string>
#include <string_view>

#include "io/signal_cleanup.h"

namespace unisci {

// The system's folder for temporary files: TMPDIR if set, /tmp otherwise. On
// Windows the one that GetTempPath names (from TMP, TEMP or the user's
// profile), not the root of the drive where the C library's tmpfile() writes
// and where a user may not.
std::string system_temporary_folder();

// Names that no file is likely to have yet: `prefix`, then six letters and
// digits drawn from the time and the process, another for each call.
class FreshNames {
 public:
  explicit FreshNames(std::string prefix);
  std::string next();

 private:
  std::string prefix_;
  unsigned long long seed_;
  unsigned long long drawn_ = 0;
};

class TemporaryFile {
 public:
  // Creates an empty file "unisci-calendari-XXXXXX" followed by `suffix` in
  // `folder`, on POSIX readable by its owner alone. Throws FileError (Create)
  // naming the folder.
  TemporaryFile(const std::string& folder, std::string_view suffix);
  // Removes the file.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Its path, as the program names files to the C library: on Windows in
  // the ANSI code page.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  TemporaryFileRegistration registration_;
};

}  // namespace unisci
