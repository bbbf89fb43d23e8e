# Hardening of the optimised builds, as Debian builds its packages: the
# relocations made read-only once the program has started (relro, bind now),
# and the checked versions of the C library's string functions (fortify,
# which needs -O2 or more), wherever the toolchain has them: mingw-w64 has
# neither. Sanitizer and fuzzing builds go without, as fortified calls would
# escape the sanitizers' checks.
if(MSVC OR UNISCI_SANITIZE OR UNISCI_FUZZ)
  return()
endif()
set(UNISCI_OPTIMISED "$<CONFIG:Release,RelWithDebInfo>")

include(CheckLinkerFlag)
check_linker_flag(CXX "LINKER:-z,relro,-z,now" UNISCI_HAS_BIND_NOW)
if(UNISCI_HAS_BIND_NOW)
  add_link_options("$<${UNISCI_OPTIMISED}:LINKER:-z,relro,-z,now>")
endif()

# A copy of unknown length is what a fortified library checks at run time.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-O2")
set(CMAKE_REQUIRED_DEFINITIONS "-D_FORTIFY_SOURCE=2")
check_cxx_source_compiles([[
#include <cstring>
int main(int argc, char** argv) {
  char copy[8];
  std::strcpy(copy, argv[argc - 1]);
  return copy[0];
}
]] UNISCI_HAS_FORTIFY)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_DEFINITIONS)
if(UNISCI_HAS_FORTIFY)
  add_compile_options("$<${UNISCI_OPTIMISED}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
