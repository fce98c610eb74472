# Read by cpack once per generator: the installer is
# quillbary-VERSION-win64-setup.exe, the zip quillbary-VERSION-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
