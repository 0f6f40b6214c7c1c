# VERSION10.DLL for files_tests: a resource-only library (no code, no entry point) built from version10.rc
# into <build>/tests/files/data/. The tests' "6.00" is the demo share's SNBD6W9S.DLL.
add_library(telmora_version10_dll SHARED ${CMAKE_CURRENT_LIST_DIR}/version10.rc)
set_target_properties(telmora_version10_dll PROPERTIES
  OUTPUT_NAME VERSION10 PREFIX "" SUFFIX ".DLL" LINKER_LANGUAGE C
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/files/data
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/files/import)
target_link_options(telmora_version10_dll PRIVATE -nostdlib -Wl,-e,0 -Wl,--subsystem,windows -s)

# files_tests is made after this file is read: the dependency is added at the end.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL add_dependencies files_tests telmora_version10_dll)
