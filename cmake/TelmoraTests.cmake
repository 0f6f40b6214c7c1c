# Test executables: one per folder of tests/, each run by ctest under Wine in
# its own copy of a template Wine prefix (scripts/wine-run.sh), with one Xvfb
# for the whole ctest run (scripts/testbed.sh, as a ctest fixture).

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(TELMORA_TESTBED_DIR ${CMAKE_BINARY_DIR}/testbed)
set(TELMORA_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${TELMORA_TESTBED_DIR})

file(GLOB TELMORA_TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(test_support STATIC ${TELMORA_TEST_SUPPORT_SOURCES})
target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_compile_options(test_support PRIVATE -Wall -Wextra -Werror)
target_link_libraries(test_support PUBLIC gtest telmora_core)

add_test(NAME testbed_up COMMAND ${CMAKE_SOURCE_DIR}/scripts/testbed.sh up ${TELMORA_TESTBED_DIR})
add_test(NAME testbed_down COMMAND ${CMAKE_SOURCE_DIR}/scripts/testbed.sh down ${TELMORA_TESTBED_DIR})
set_tests_properties(testbed_up PROPERTIES FIXTURES_SETUP testbed TIMEOUT 180)
set_tests_properties(testbed_down PROPERTIES FIXTURES_CLEANUP testbed TIMEOUT 60)

file(GLOB TELMORA_TEST_FOLDERS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(folder ${TELMORA_TEST_FOLDERS})
  get_filename_component(name ${folder} NAME)
  if(NOT IS_DIRECTORY ${folder} OR name STREQUAL "support")
    continue()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT sources)
    continue()
  endif()
  set(target ${name}_tests)
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_compile_definitions(${target} PRIVATE
    TELMORA_STNIN32_PATH="$<TARGET_FILE:stnin32>"
    TELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    TELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(${target} PRIVATE test_support telmora_core telmora_resources ${TELMORA_STATIC_LINK})
  add_dependencies(${target} stnin32)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${TELMORA_WINE_RUN}")
  # The lifecycle runs each Windows personality on a Wine PC of its own.
  set(runs ${name})
  if(name STREQUAL "lifecycle")
    set(runs lifecycle_Windows95 lifecycle_WindowsNT351 lifecycle_WindowsNT40)
  endif()
  foreach(run ${runs})
    string(REPLACE "lifecycle_" "--gtest_filter=Lifecycle." filter ${run})
    add_test(NAME ${run} COMMAND ${target} $<$<NOT:$<STREQUAL:${run},${name}>>:${filter}>)
    set_tests_properties(${run} PROPERTIES FIXTURES_REQUIRED testbed TIMEOUT 600)
  endforeach()
endforeach()

# The demo driver (make demo, make demo-lifecycle): the lifecycle steps of the
# tests (tests/lifecycle/lifecycle_steps.h) run on a fresh Wine PC, printing every
# box, its answer and what each step changed.
add_executable(demo_driver ${CMAKE_SOURCE_DIR}/demo/demo_driver.cpp)
target_compile_options(demo_driver PRIVATE -Wall -Wextra -Werror)
target_link_libraries(demo_driver PRIVATE test_support ${TELMORA_STATIC_LINK})
add_dependencies(demo_driver stnin32)
include(${CMAKE_SOURCE_DIR}/tests/files/data/version_dlls.cmake)
