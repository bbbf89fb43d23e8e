#include "io/standard_streams.h"

#include <cerrno>
#include <cstdio>

#include "io/file_identity.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace unisci {

std::size_t StandardInput::read(char* buf, std::size_t n) {
  errno = 0;
  std::size_t got = std::fread(buf, 1, n, stdin);
  if (got == 0 && std::ferror(stdin))
    throw FileError(FileError::Action::Read, name_, error_or(EIO));
  return got;
}

void StandardOutput::write(const char* buf, std::size_t n) {
  if (closed_) throw FileError(FileError::Action::Write, name_, EBADF);
  errno = 0;
  if (std::fwrite(buf, 1, n, stdout) != n)
    throw FileError(FileError::Action::Write, name_, error_or(EIO));
}

void StandardOutput::close() {
  if (closed_) throw FileError(FileError::Action::Write, name_, EBADF);
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
    throw FileError(FileError::Action::Write, name_, error_or(EIO));
}

bool standard_output_is_terminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

std::optional<FileIdentity> StandardInput::identity() const {
  return identity_of_descriptor(fileno(stdin));
}

std::optional<FileIdentity> StandardOutput::identity() const {
  if (closed_) return std::nullopt;
  return identity_of_descriptor(fileno(stdout));
}

}  // namespace unisci
