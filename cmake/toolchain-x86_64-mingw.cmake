# 64-bit Windows: the build tested on every machine.
set(QUIRE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
