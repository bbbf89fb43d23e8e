// unisci-calendari: merges two calendars of matches into one, ordered by date
// and time, through a short dialogue in Italian.
#include <exception>
#include <iostream>

#include "dialogue/command_line.h"
#include "dialogue/console.h"
#include "dialogue/run_loop.h"
#include "dialogue/terminal.h"
#include "io/disk_folder.h"
#include "io/signal_cleanup.h"

int main(int argc, char* argv[]) {
  unisci::prepare_standard_streams();
  unisci::remove_temporary_files_on_signal();
  std::ios::sync_with_stdio(false);
  if (argc > 1) return unisci::answer_arguments(argc, argv, std::cout, std::cerr);
  int status = 0;
  try {
    unisci::Console console(std::cin, std::cout, std::cerr, unisci::console_e_grave());
    unisci::DiskFolder folder;
    status = unisci::run_loop(console, folder);
  } catch (const std::exception& e) {
    // Whatever went wrong, the outputs of the run are not in place: their
    // temporary files went with the unwinding.
    std::cout.flush();
    std::cerr << "unisci-calendari: errore inatteso: " << e.what() << '\n';
    return 1;
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "unisci-calendari: impossibile scrivere sullo standard output\n";
    status = 1;
  }
  return status;
}
