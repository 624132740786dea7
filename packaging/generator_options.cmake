# Read by cpack once per generator: the zip keeps the default name
# (glyphora-VERSION-win32.zip), the installer is named for what it is.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-setup")
endif()
