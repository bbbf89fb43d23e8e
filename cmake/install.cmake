# Installation: the program in bin/, its manual page in the manual's section
# 1, and in the documentation folder (share/doc/unisci-calendari) the README,
# the copyright and licence, the changelog and the sample calendars. Windows
# gets a folder of its own, packed in a .zip.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows_zip.cmake)
  return()
endif()
include(GNUInstallDirs)
install(TARGETS unisci-calendari RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(UNISCI_MAINTAINER "unisci-calendari maintainers <maintainers@users.noreply.c-seed-29c1f164.example>"
    CACHE STRING "Maintainer named in the package")

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

# Installs the file `built` of the build folder compressed into `destination`,
# as Debian wants manual pages and changelogs, where gzip is at hand: -9 for
# the smallest file, -n to leave name and time out so that the result is
# reproducible. Without gzip the file is installed as it is.
find_program(UNISCI_GZIP gzip)
function(unisci_install_gzipped built destination)
  if(NOT UNISCI_GZIP)
    install(FILES ${PROJECT_BINARY_DIR}/${built} DESTINATION ${destination})
    return()
  endif()
  add_custom_command(
    OUTPUT ${built}.gz
    COMMAND ${UNISCI_GZIP} -9nkf ${built}
    DEPENDS ${PROJECT_BINARY_DIR}/${built}
    VERBATIM)
  add_custom_target(${built}-gz ALL DEPENDS ${built}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/${built}.gz DESTINATION ${destination})
endfunction()

unisci_install_gzipped(unisci-calendari.1 ${CMAKE_INSTALL_MANDIR}/man1)
include(${CMAKE_CURRENT_LIST_DIR}/debian_changelog.cmake)
unisci_debian_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_NAME} "${UNISCI_MAINTAINER}"
                        ${PROJECT_BINARY_DIR}/changelog)
unisci_install_gzipped(changelog ${CMAKE_INSTALL_DOCDIR})

# The copyright file in Debian's machine-readable format, its holder and
# licence text taken from LICENSE: the text after its copyright line, each
# line indented by a space and each empty line written as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE UNISCI_LICENSE_TEXT)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" UNISCI_COPYRIGHT "${UNISCI_LICENSE_TEXT}")
set(UNISCI_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright [^\n]*\n\n" "" UNISCI_LICENSE_TEXT "${UNISCI_LICENSE_TEXT}")
string(STRIP "${UNISCI_LICENSE_TEXT}" UNISCI_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" UNISCI_LICENSE_TEXT "${UNISCI_LICENSE_TEXT}")
string(REPLACE "\n" "\n " UNISCI_LICENSE_TEXT " ${UNISCI_LICENSE_TEXT}")
# The notices of libxlsxwriter, which the program links, in the same form.
file(READ ${CMAKE_CURRENT_LIST_DIR}/libxlsxwriter-notices.txt UNISCI_XLSXWRITER_NOTICES)
string(STRIP "${UNISCI_XLSXWRITER_NOTICES}" UNISCI_XLSXWRITER_NOTICES)
string(REGEX REPLACE "\n\n+" "\n.\n" UNISCI_XLSXWRITER_NOTICES "${UNISCI_XLSXWRITER_NOTICES}")
string(REPLACE "\n" "\n " UNISCI_XLSXWRITER_NOTICES " ${UNISCI_XLSXWRITER_NOTICES}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in copyright @ONLY)

install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The sample calendars. Those with accented letters are written in ISO 8859-1,
# the program's own encoding; text files on Debian are UTF-8, so they are
# converted where iconv is at hand. The program merges either alike.
find_program(UNISCI_ICONV iconv)
foreach(sample calendario1.txt calendario2.txt esempio1.txt esempio2.txt)
  set(source ${PROJECT_SOURCE_DIR}/examples/${sample})
  if(UNISCI_ICONV)
    add_custom_command(
      OUTPUT examples/${sample}
      COMMAND ${UNISCI_ICONV} -f ISO-8859-1 -t UTF-8 -o examples/${sample} ${source}
      DEPENDS ${source}
      VERBATIM)
    set(source ${PROJECT_BINARY_DIR}/examples/${sample})
    list(APPEND UNISCI_SAMPLES ${source})
  endif()
  install(FILES ${source} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endforeach()
if(UNISCI_ICONV)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/examples)
  add_custom_target(samples ALL DEPENDS ${UNISCI_SAMPLES})
endif()

# The binary package: a .deb on Linux, a .zip elsewhere. After a Release build,
# `cmake --workflow --preset deb` (or `cd build && cpack`) writes it into build/.
# Debian wants the description in English; the Italian one follows.
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_CONTACT "${UNISCI_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "merge two calendars of matches by date and time")
set(CPACK_PACKAGE_DESCRIPTION
    "unisci-calendari reads two plain-text calendars of matches,
calendario1.txt and calendario2.txt, from the current folder and merges
them into one calendar ordered by date and time, with two-digit years.
It writes it as text (calendario.txt or calendario.doc), as a
tab-separated table for a spreadsheet (calendario.xls) or as a web page
(calendario.html). It asks its few questions on the console, in Italian.

In italiano: unisci-calendari legge due calendari di gare in testo
semplice, calendario1.txt e calendario2.txt, e ne ricava un solo
calendario ordinato per data e ora, con l'anno a due cifre. Lo scrive
come testo (calendario.txt o calendario.doc), come tabella separata da
tabulazioni (calendario.xls) o come pagina web (calendario.html). Il
dialogo con l'utente avviene sulla console, in italiano.")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The library dependencies are read off the binary where the tool for it exists.
  # libxlsxwriter is loaded by name, unseen by dpkg-shlibdeps: its package,
  # named after its SONAME (libxlsxwriter.so.4: libxlsxwriter4), is named here.
  string(REGEX REPLACE "^lib(.*)\\.so\\.([0-9]+)$" "lib\\1\\2" UNISCI_XLSXWRITER_PACKAGE
                       "${UNISCI_XLSXWRITER_SONAME}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${UNISCI_XLSXWRITER_PACKAGE}")
  find_program(UNISCI_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(UNISCI_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
else()
  set(CPACK_GENERATOR ZIP)
endif()

include(CPack)
