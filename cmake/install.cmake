# Installation: the program in bin/, its manual page in the manual's section 1.
include(GNUInstallDirs)
install(TARGETS unisci-calendari RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual page carries the version of project() and the date of its
# section in CHANGELOG.md.
include(${CMAKE_CURRENT_LIST_DIR}/release_date.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
unisci_release_date(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_VERSION} UNISCI_RELEASE_DATE)
if(NOT UNISCI_RELEASE_DATE)
  message(WARNING "CHANGELOG.md has no section for version ${PROJECT_VERSION}")
endif()
set(UNISCI_MANPAGE ${PROJECT_BINARY_DIR}/unisci-calendari.1)
configure_file(${PROJECT_SOURCE_DIR}/doc/unisci-calendari.1.in ${UNISCI_MANPAGE} @ONLY)

# Manual pages are installed compressed where gzip is at hand, as the
# system's own are; -n leaves name and time out, so the result is reproducible.
find_program(UNISCI_GZIP gzip)
if(UNISCI_GZIP AND NOT WIN32)
  add_custom_command(
    OUTPUT unisci-calendari.1.gz
    COMMAND ${UNISCI_GZIP} -9nkf unisci-calendari.1
    DEPENDS ${UNISCI_MANPAGE}
    VERBATIM)
  add_custom_target(manpage ALL DEPENDS unisci-calendari.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/unisci-calendari.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${UNISCI_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The binary package: a .deb on Linux, a .zip elsewhere. After a Release build,
# `cmake --workflow --preset deb` (or `cd build && cpack`) writes it into build/.

set(UNISCI_MAINTAINER "unisci-calendari maintainers <maintainers@users.noreply.c-seed-29c1f164.example>"
    CACHE STRING "Maintainer named in the package")

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_CONTACT "${UNISCI_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "unisce due calendari di gare in uno, ordinato per data e ora")
set(CPACK_PACKAGE_DESCRIPTION
    "unisci-calendari legge due calendari di gare in testo semplice,
calendario1.txt e calendario2.txt, e ne ricava un solo calendario
ordinato per data e ora, con l'anno a due cifre. Lo scrive come testo
(calendario.txt o calendario.doc), come tabella separata da tabulazioni
(calendario.xls) o come pagina web (calendario.html). Il dialogo con
l'utente avviene sulla console, in italiano.

unisci-calendari merges two plain-text calendars of matches into one,
ordered by date and time, and writes it as text, as a tab-separated
table or as a web page, through a short console dialogue in Italian.")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The library dependencies are read off the binary where the tool for it exists.
  find_program(UNISCI_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(UNISCI_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
else()
  set(CPACK_GENERATOR ZIP)
endif()

include(CPack)
