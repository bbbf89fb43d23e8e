// unisci-calendari: merges two calendars of matches into one, ordered by date
// and time, through a short dialogue in Italian.
#include <iostream>

#include "dialogue/command_line.h"
#include "dialogue/console.h"
#include "dialogue/run_loop.h"
#include "dialogue/terminal.h"
#include "io/files.h"

int main(int argc, char* argv[]) {
  unisci::prepare_standard_streams();
  std::ios::sync_with_stdio(false);
  if (argc > 1) return unisci::answer_arguments(argc, argv, std::cout, std::cerr);
  unisci::Console console(std::cin, std::cout, std::cerr, unisci::console_e_grave());
  unisci::DiskFolder folder;
  int status = unisci::run_loop(console, folder);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "unisci-calendari: impossibile scrivere sullo standard output\n";
    status = 1;
  }
  return status;
}
