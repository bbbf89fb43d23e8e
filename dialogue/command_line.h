// The command line. Without arguments the program holds its dialogue; with
// any, it answers them at once and touches no file.
#pragma once

#include <ostream>

namespace unisci {

// Answers a command line that has arguments: the usage for --help, the
// version for --version, a message naming the argument for anything else.
// Returns the exit status: 0 if the answer was written to `out`, 1 if `out`
// could not be written, 2 for an unknown argument.
int answer_arguments(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

}  // namespace unisci
