#include "dialogue/command_run.h"

#include <iostream>

namespace unisci {

// A stub until the merge of the command line is in place.
int run_command_line(const CommandLine& /*command_line*/) {
  std::cerr << "unisci-calendari: l'unione dei calendari dalla riga di comando non c'e' ancora\n";
  return 1;
}

}  // namespace unisci
