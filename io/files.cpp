#include "io/files.h"

#include <cstring>

namespace unisci {

FileError::FileError(Action action, std::string file, int reason, std::string temporary_folder)
    : std::runtime_error(file + ": " + std::strerror(reason)),
      action_(action),
      file_(std::move(file)),
      reason_(reason),
      temporary_folder_(std::move(temporary_folder)) {}

}  // namespace unisci
