// What the user reads when a file could not be used.
#pragma once

#include <string>

#include "io/files.h"

namespace unisci {

// The reason for `error_number` as the user reads it: in Italian for the
// usual causes (a missing file, no permission, a folder, a full disk, a file
// too large, a read-only file system, a name too long, too many open files),
// the system's own text for the rest.
std::string error_reason(int error_number);

// The line of standard error for `error`, after the program's name: what
// could not be done, the file's name and the reason.
std::string file_error_message(const FileError& error);

}  // namespace unisci
