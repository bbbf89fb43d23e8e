// Temporary files that a signal must not leave behind.
//
// An output is written to a temporary file beside its target and renamed over
// the target when complete. If SIGINT, SIGTERM, SIGHUP or SIGPIPE ends the
// program before that (on Windows, Ctrl-C, Ctrl-Break or the closing of the
// console window), the temporary files are removed and the targets stay whole.
#pragma once

#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

namespace unisci {

// Installs the handlers: each removes every registered file and ends the
// process with status 128 + the signal number. A signal that the process was
// started with ignored stays ignored. SIGXFSZ is ignored: a write beyond the
// file-size limit fails with EFBIG instead.
void remove_temporary_files_on_signal();

// Holds off the handlers for as long as it lives: a signal that comes
// meanwhile is handled when it ends (on Windows, a console event waits for
// it). A file is created and registered, or put in place and forgotten, while
// one is held, so that a signal never leaves a file that the handlers do not
// know, nor takes away what is being put in place. Never nested.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

#ifndef _WIN32
 private:
  sigset_t previous_;
#endif
};

// Registers a file for removal by the handlers for as long as it lives.
// Create and register it, and remove it and end the registration, while
// signals are held.
class TemporaryFileRegistration {
 public:
  explicit TemporaryFileRegistration(const std::string& path);
  ~TemporaryFileRegistration();
  TemporaryFileRegistration(const TemporaryFileRegistration&) = delete;
  TemporaryFileRegistration& operator=(const TemporaryFileRegistration&) = delete;

 private:
  int slot_;
};

}  // namespace unisci
