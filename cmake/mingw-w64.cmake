# Cross-compiles for 64-bit Windows with the mingw-w64 toolchain (on Debian,
# the package g++-mingw-w64-x86-64). The program is linked statically, so the
# .exe runs without the toolchain's DLLs beside it. The C compiler builds
# libxlsxwriter with the same toolchain (.ci/windows-xlsxwriter).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(UNISCI_MINGW_TRIPLET x86_64-w64-mingw32)
# The win32 thread model: the program starts no thread of its own, and so
# needs no POSIX threads library in the .exe.
set(CMAKE_C_COMPILER ${UNISCI_MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${UNISCI_MINGW_TRIPLET}-g++-win32)

# libxlsxwriter for Windows, which .ci/windows-xlsxwriter builds from Debian's
# source and installs here, with its pkg-config file; zlib is the toolchain's
# own (the package libz-mingw-w64-dev).
if(DEFINED ENV{XDG_CACHE_HOME})
  set(UNISCI_CACHE_HOME "$ENV{XDG_CACHE_HOME}")
else()
  set(UNISCI_CACHE_HOME "$ENV{HOME}/.cache")
endif()
set(UNISCI_MINGW_PREFIX "${UNISCI_CACHE_HOME}/unisci-calendari/mingw-w64" CACHE PATH
    "Folder where .ci/windows-xlsxwriter installed libxlsxwriter for Windows")
set(ENV{PKG_CONFIG_LIBDIR} "${UNISCI_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_FIND_ROOT_PATH /usr/${UNISCI_MINGW_TRIPLET} ${UNISCI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
