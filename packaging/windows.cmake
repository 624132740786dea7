# The Windows packages: the zip and the NSIS installer hold the same tree,
# glyphora.exe with its licence, read-me and the two samples. Text files get
# Windows line ends; the samples stay byte for byte.
set(WINDOWS_TEXT_DIR ${PROJECT_BINARY_DIR}/package-text)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${WINDOWS_TEXT_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/README.txt.in ${WINDOWS_TEXT_DIR}/README.txt @ONLY
               NEWLINE_STYLE CRLF)

install(TARGETS glyphora RUNTIME DESTINATION .)
install(FILES ${WINDOWS_TEXT_DIR}/LICENSE.txt ${WINDOWS_TEXT_DIR}/README.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/samples/glyphora.ans ${PROJECT_SOURCE_DIR}/samples/glyphora.asc
        DESTINATION samples)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Glyphora)
# Our own installer script (packaging/nsis/NSIS.template.in) in place of CPack's.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/nsis)
set(CPACK_NSIS_DISPLAY_NAME Glyphora)
set(CPACK_NSIS_PACKAGE_NAME Glyphora)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/app.ico)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
