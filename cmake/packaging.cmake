# The Windows release: quorix-<version>-win64.zip, made by CPack (`cmake --workflow --preset
# release`). Everything lies flat in the zip, as it lies beside quorix.exe once unpacked.
install(TARGETS quorix qrxsh RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:qs_dll1> DESTINATION .)

# Everything data/ holds is delivered beside the executables: the message catalogues, and the
# skins with their pictures, in the folders they have there.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION . PATTERN ".*" EXCLUDE)

# The manual, and a short README.txt in UTF-8 with a byte order mark and CR LF line ends, so
# that Notepad shows its Japanese and English whatever the system's code page.
install(FILES ${PROJECT_SOURCE_DIR}/docs/commands.md ${PROJECT_SOURCE_DIR}/docs/commands.ja.md
  DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
  @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME quorix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME quorix-${PROJECT_VERSION}-win64)
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
