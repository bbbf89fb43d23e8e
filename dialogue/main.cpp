// unisci-calendari: merges calendars of matches into one, ordered by date and
// time: two through a short dialogue in Italian, those named on the command
// line, or those dropped on the program in Windows' Explorer.
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "dialogue/command_line.h"
#include "dialogue/command_run.h"
#include "dialogue/console.h"
#include "dialogue/dropped_calendars.h"
#include "dialogue/run_loop.h"
#include "dialogue/terminal.h"
#include "io/disk_folder.h"
#include "io/signal_cleanup.h"
#include "io/standard_streams.h"

namespace {

constexpr const char* kOutputFailed =
    "unisci-calendari: impossibile scrivere sullo standard output\n";

}  // namespace

int main(int argc, char* argv[]) {
  bool output_closed = unisci::prepare_standard_streams();
  unisci::remove_temporary_files_on_signal();
  std::ios::sync_with_stdio(false);
  unisci::UnicodeConsoleStreams unicode_console;
  const bool dropped = unisci::calendars_dropped(unisci::console_process_count(), argc, argv);
  std::optional<unisci::CommandLine> command_line;
  if (argc > 1 && !dropped) {
    auto parsed = unisci::parse_command_line(argc, argv, std::cout, std::cerr);
    if (const int* answered = std::get_if<int>(&parsed)) {
      // The usage or the version went to the null device that stands in for
      // a closed standard output: nobody read it.
      if (*answered == 0 && output_closed) {
        std::cerr << kOutputFailed;
        return 1;
      }
      return *answered;
    }
    command_line = std::get<unisci::CommandLine>(std::move(parsed));
  }
  int status = 0;
  try {
    unisci::Console console(std::cin, std::cout, std::cerr, unisci::console_e_grave());
    unisci::DiskFolder folder;
    unisci::StandardInput input;
    unisci::StandardOutput output(output_closed);
    if (dropped) {
      status =
          unisci::run_dropped_calendars({argv + 1, argv + argc}, console, folder, input, output);
    } else if (command_line) {
      unisci::read_standard_input_as_bytes();
      status = unisci::run_command_line(*command_line, console, folder, input, output);
    } else {
      status = unisci::run_loop(console, folder);
    }
  } catch (const std::exception& e) {
    // Whatever went wrong, the outputs of the run are not in place: their
    // temporary files went with the unwinding.
    std::cout.flush();
    std::cerr << "unisci-calendari: errore inatteso: " << e.what() << '\n';
    return 1;
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << kOutputFailed;
    status = 1;
  }
  return status;
}
