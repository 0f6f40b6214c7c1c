# Libraries with version resources for the copy engine tests (files_tests):
# resource-only DLLs (no code, no entry point) built from the scripts beside
# this file into <build>/tests/files/data/, where the tests look for them.
# Included once from the test set-up; it attaches itself to files_tests when
# that target exists at the end of the top directory.
set(TELMORA_VERSION_DLL_DIR ${CMAKE_BINARY_DIR}/tests/files/data)
set(TELMORA_VERSION_DLL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR})

set(telmora_version_dll_targets)
foreach(name version6 version10 version_long)
  set(target telmora_${name}_dll)
  add_library(${target} SHARED ${TELMORA_VERSION_DLL_SCRIPTS}/${name}.rc)
  string(TOUPPER ${name} file)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${file} PREFIX "" SUFFIX ".DLL" LINKER_LANGUAGE C
    RUNTIME_OUTPUT_DIRECTORY ${TELMORA_VERSION_DLL_DIR}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/files/import)
  target_link_options(${target} PRIVATE -nostdlib -Wl,-e,0 -Wl,--subsystem,windows -s)
  list(APPEND telmora_version_dll_targets ${target})
endforeach()
add_custom_target(telmora_version_dlls DEPENDS ${telmora_version_dll_targets})

function(telmora_files_tests_need_version_dlls)
  if(TARGET files_tests)
    add_dependencies(files_tests telmora_version_dlls)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL telmora_files_tests_need_version_dlls)
