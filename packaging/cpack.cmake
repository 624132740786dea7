# What every package says about Glyphora, then the install layout and the
# generators of the system being built for: the Windows build makes the zip
# and the installer, the native build the Debian package (carrying the
# Windows program, built and stripped beforehand by scripts/package.sh).
set(CPACK_PACKAGE_NAME glyphora)
set(CPACK_PACKAGE_VENDOR Kolt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for ANSI and ASCII art")
set(CPACK_PACKAGE_CONTACT "Kolt <glyphora@kolt.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# scripts/package.sh builds exactly what the packages hold; installing must
# not first build every test and benchmark of the configuration.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Per-generator choices made when cpack runs (the installer's file name).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/generator_options.cmake)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
endif()
include(CPack)
