# The Windows download, unisci-calendari-<version>-win64.zip: one folder with
# the program, its instructions in plain text (LEGGIMI.txt), the sample
# calendars under the names the program reads, so that it runs at once, the
# licence, and the notices of libxlsxwriter and of what it bundles, which the
# program holds. The texts get Windows line ends; the calendars stay as they
# are, since the program reads either.
install(TARGETS unisci-calendari RUNTIME DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/doc/LEGGIMI.txt.in LEGGIMI.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/cmake/libxlsxwriter-notices.txt LICENSE-libxlsxwriter.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/LEGGIMI.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
              ${PROJECT_BINARY_DIR}/LICENSE-libxlsxwriter.txt
              ${PROJECT_SOURCE_DIR}/examples/calendario1.txt
              ${PROJECT_SOURCE_DIR}/examples/calendario2.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)
