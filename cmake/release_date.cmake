# The release date of a version: the date of its section in CHANGELOG.md,
# "## [1.0.0] - 2026-12-08". The manual page carries it, so that the same
# sources make the same page whatever the day of the build.
#
# Run as a script, it is the changelog check among the tests: it fails when
# the changelog has no section for the version.
#   cmake -DCHANGELOG=CHANGELOG.md -DVERSION=1.0.0 -P cmake/release_date.cmake
function(unisci_release_date changelog version out_var)
  string(REPLACE "." "\\." version_pattern "${version}")
  set(digits2 "[0-9][0-9]")
  file(STRINGS "${changelog}" heading LIMIT_COUNT 1
       REGEX "^## \\[${version_pattern}\\] - ${digits2}${digits2}-${digits2}-${digits2}$")
  string(REGEX REPLACE "^.* - " "" date "${heading}")
  set(${out_var} "${date}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  unisci_release_date("${CHANGELOG}" "${VERSION}" date)
  if(NOT date)
    message(FATAL_ERROR "${CHANGELOG} has no section \"## [${VERSION}] - YYYY-MM-DD\" "
                        "for the version of project() in CMakeLists.txt")
  endif()
  message(STATUS "${CHANGELOG}: version ${VERSION} of ${date}")
endif()
