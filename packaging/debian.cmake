# The Debian package: the Windows program with a launcher that runs it under
# the user's Wine, the native glyphora-shot as renderer and thumbnailer (its
# install rule and the manual pages' are in cmake/native.cmake), and the
# desktop's files: entry, icons, art file type, thumbnailer, AppStream data.
# The MIME, icon and desktop databases pick the files up through the triggers
# of shared-mime-info, the icon theme and desktop-file-utils.
set(GLYPHORA_WINDOWS_EXE ${PROJECT_BINARY_DIR}/windows-stage/glyphora.exe CACHE FILEPATH
    "The stripped glyphora.exe of the Windows build that the Debian package carries")
set(LINUX_DIR ${CMAKE_CURRENT_LIST_DIR}/linux)
set(DOC_DIR share/doc/glyphora)

# The program is data to Wine, not something to run directly: no execute bit.
install(FILES ${GLYPHORA_WINDOWS_EXE} DESTINATION lib/glyphora)
# The launcher with the build's version filled in, and its test: odd file
# names against a stand-in wine.
set(LAUNCHER ${PROJECT_BINARY_DIR}/launcher/glyphora)
set(LAUNCHER_HOOK "")
configure_file(${LINUX_DIR}/glyphora.in ${LAUNCHER} @ONLY)
install(PROGRAMS ${LAUNCHER} DESTINATION bin)
# For the test only, never installed: the same launcher, running the command
# GLYPHORA_TEST_HOOK names at each of its steps, where the test changes a
# file or folder as another user racing the launcher would.
set(HOOKED_LAUNCHER ${PROJECT_BINARY_DIR}/launcher-hooked/glyphora)
set(LAUNCHER_HOOK "\${GLYPHORA_TEST_HOOK:-}")
configure_file(${LINUX_DIR}/glyphora.in ${HOOKED_LAUNCHER} @ONLY)
if(NOT GLYPHORA_SANITIZE)
  add_test(NAME launcher.odd_names
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/launcher_test.sh ${LAUNCHER} ${PROJECT_VERSION}
            ${PROJECT_BINARY_DIR}/launcher-test ${HOOKED_LAUNCHER})
endif()
install(FILES ${LINUX_DIR}/glyphora.desktop DESTINATION share/applications)
install(FILES ${LINUX_DIR}/glyphora-mime.xml DESTINATION share/mime/packages RENAME glyphora.xml)
install(FILES ${LINUX_DIR}/glyphora.thumbnailer DESTINATION share/thumbnailers)
install(FILES ${LINUX_DIR}/example.kolt.glyphora.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/icons/hicolor DESTINATION share/icons
        FILES_MATCHING PATTERN "*.png")

# The copyright file in Debian's format around LICENSE: the licence text
# past its title and copyright line, indented, blank lines as ".".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE LICENSE_BODY)
string(REGEX REPLACE "^[^\n]*\n\n[^\n]*\n\n" "" LICENSE_BODY "${LICENSE_BODY}")
string(STRIP "${LICENSE_BODY}" LICENSE_BODY)
string(REPLACE "\n\n" "\n.\n" LICENSE_BODY "${LICENSE_BODY}")
string(REPLACE "\n" "\n " LICENSE_BODY " ${LICENSE_BODY}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${PROJECT_BINARY_DIR}/package-doc/copyright
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package-doc/copyright DESTINATION ${DOC_DIR})
# Stripped as Debian's own tools strip: without the compiler's notes either.
install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/glyphora-shot\"
                              COMMAND_ERROR_IS_FATAL ANY)")

# The changelog compressed as Debian wants it: no name or time in the header.
set(PACKED_CHANGELOG ${PROJECT_BINARY_DIR}/package-doc/changelog.gz)
add_custom_command(OUTPUT ${PACKED_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package-doc
  COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/debian/changelog > ${PACKED_CHANGELOG}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
install(FILES ${PACKED_CHANGELOG} DESTINATION ${DOC_DIR})

# Everything the package holds that a build makes; scripts/package.sh builds it.
add_custom_target(package_contents DEPENDS ${PACKED_CHANGELOG})
add_dependencies(package_contents glyphora-shot man_pages)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# glyphora-shot's libraries (libpng among them) found by dpkg-shlibdeps; the
# program itself needs Wine's 32-bit loader, which wine32 (i386) brings.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "wine, wine32")
set(CPACK_PACKAGE_DESCRIPTION
"Glyphora shows ANSI art (.ans) and ASCII art (.asc): text whose escape
sequences colour the characters and whose IBM code page 437 bytes draw
shades, lines and blocks, painted with its own 8x16 font and 16 colours.

The viewer is a Windows program run under Wine by the glyphora command; art
files open in it from the file manager, which also shows them as thumbnails
drawn by glyphora-shot, a native renderer that saves art as PNG pictures.")
