// What the user reads when a file could not be used.
#pragma once

#include <string>

#include "io/files.h"

namespace unisci {

// The line of standard error for `error`, after the program's name: what
// could not be done, the file's name and the reason.
std::string file_error_message(const FileError& error);

}  // namespace unisci
