# The 32-bit build: the shipped STNIN32.EXE.
set(TELMORA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
