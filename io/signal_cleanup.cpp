#include "io/signal_cleanup.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace unisci {

namespace {

// A signal handler reaches only static storage, so the registered paths live
// here, in fixed slots that the handler can read at any moment: a slot's path
// is complete before the slot is marked used. A run has at most two
// temporary files at a time.
constexpr int kSlots = 8;
constexpr std::size_t kPathSize = 4096;
char registered_paths[kSlots][kPathSize];
volatile std::sig_atomic_t slot_used[kSlots];

extern "C" void remove_and_exit(int signal_number) {
  for (int i = 0; i < kSlots; ++i) {
#ifdef _WIN32
    if (slot_used[i] != 0) _unlink(registered_paths[i]);
#else
    if (slot_used[i] != 0) unlink(registered_paths[i]);
#endif
  }
  _exit(128 + signal_number);
}

#ifdef _WIN32
// Taken by SignalsHeld, and by a console event for good.
SRWLOCK handlers_held = SRWLOCK_INIT;

// Ctrl-C, Ctrl-Break and the closing of the console window, on a thread of
// their own. The temporary files can be removed while open (see DiskFolder).
BOOL WINAPI on_console_event(DWORD event) {
  AcquireSRWLockExclusive(&handlers_held);
  remove_and_exit(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
  return TRUE;
}
#else
constexpr std::array<int, 4> kCleanupSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void handle(int signal_number) {
  struct sigaction action {};
  if (sigaction(signal_number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) return;
  action = {};
  action.sa_handler = remove_and_exit;
  sigemptyset(&action.sa_mask);
  for (int blocked : kCleanupSignals) sigaddset(&action.sa_mask, blocked);
  sigaction(signal_number, &action, nullptr);
}
#endif

}  // namespace

void remove_temporary_files_on_signal() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, TRUE);
#else
  // SIGPIPE too: a prompt written to a pipe that its reader closed.
  for (int signal_number : kCleanupSignals) handle(signal_number);
  // A file-size limit (ulimit -f) makes a write fail with EFBIG, reported as
  // any other write error, rather than end the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifdef _WIN32
SignalsHeld::SignalsHeld() {
  AcquireSRWLockExclusive(&handlers_held);
}

SignalsHeld::~SignalsHeld() {
  ReleaseSRWLockExclusive(&handlers_held);
}
#else
SignalsHeld::SignalsHeld() : previous_() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal_number : kCleanupSignals) sigaddset(&held, signal_number);
  sigprocmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() {
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}
#endif

TemporaryFileRegistration::TemporaryFileRegistration(const std::string& path) : slot_(-1) {
  if (path.size() >= kPathSize) return;
  for (int i = 0; i < kSlots; ++i) {
    if (slot_used[i] != 0) continue;
    std::memcpy(registered_paths[i], path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot_used[i] = 1;
    slot_ = i;
    return;
  }
}

TemporaryFileRegistration::~TemporaryFileRegistration() {
  if (slot_ >= 0) slot_used[slot_] = 0;
}

}  // namespace unisci
