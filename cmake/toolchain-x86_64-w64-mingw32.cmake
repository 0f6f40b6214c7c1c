# The 64-bit build: the program, tests and demo that run under Wine here.
set(TELMORA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
