# Cross compilation for Windows with the MinGW-w64 posix thread model (the win32
# model lacks std::mutex, which GoogleTest needs).  The architecture comes from
# the file that includes this one: toolchain-x86_64-mingw.cmake or
# toolchain-i686-mingw.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUIRE_MINGW_ARCH})
set(_triplet ${QUIRE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)
set(QUIRE_WIDL ${_triplet}-widl CACHE FILEPATH "IDL compiler")

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything links the runtime statically, so that no MinGW DLL must travel with
# the deliverables or the test programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Repeated builds of two architectures from one tree: reuse what was compiled.
find_program(QUIRE_CCACHE ccache)
if(QUIRE_CCACHE)
  # Paths relative to the tree, so that clones and work trees share the cache;
  # the sloppiness lets it cache sources compiled with a precompiled header.
  get_filename_component(_tree ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
  set(_ccache ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${_tree}
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${QUIRE_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${_ccache})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_ccache})
endif()
