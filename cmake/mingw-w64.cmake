# Cross-compiles for 64-bit Windows with the mingw-w64 toolchain (on Debian,
# the package g++-mingw-w64-x86-64). The program is linked statically, so the
# .exe runs without the toolchain's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(UNISCI_MINGW_TRIPLET x86_64-w64-mingw32)
# The win32 thread model: the program starts no thread of its own, and so
# needs no POSIX threads library in the .exe.
set(CMAKE_CXX_COMPILER ${UNISCI_MINGW_TRIPLET}-g++-win32)
set(CMAKE_FIND_ROOT_PATH /usr/${UNISCI_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
