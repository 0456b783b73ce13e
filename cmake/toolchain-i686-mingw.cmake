# 32-bit Windows: what a 32-bit synchronisation host loads.
set(QUIRE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
