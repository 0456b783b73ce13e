# Compiler settings, test, fuzz and benchmark helpers shared by every subsystem.

include_guard(GLOBAL)

set(QUIRE_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")

# QUIRE_WINDOWS: the cross build of the deliverables; otherwise only the portable
# libraries (file formats, models, parsers) are built, on the host.
if(WIN32)
  set(QUIRE_WINDOWS ON)
else()
  set(QUIRE_WINDOWS OFF)
endif()

add_compile_options(-Wall -Wextra)
if(QUIRE_WINDOWS)
  add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
  # GetProcAddress results are cast to the real signatures on purpose.
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-cast-function-type>)
endif()

if(QUIRE_SANITIZE)
  set(_quire_san -fsanitize=address,undefined -fno-sanitize-recover=undefined
                 -fno-omit-frame-pointer)
  add_compile_options(${_quire_san})
  add_link_options(${_quire_san})
endif()

if(QUIRE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUIRE_FUZZ needs clang")
  endif()
  # Coverage feedback for the libraries the fuzz targets link.
  add_compile_options(-fsanitize=fuzzer-no-link)
  # Optimised as fuzzing builds are: unoptimised, one small .xls took
  # milliseconds to open and save, most of it in calls that inlining removes.
  # The tests of this build share the objects, under the same sanitizers.
  add_compile_options(-O1)
endif()

function(quire_setup_testing)
  if(QUIRE_WINDOWS AND CMAKE_CROSSCOMPILING)
    # Every test program runs under Wine in a prefix of this build folder.
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${CMAKE_SOURCE_DIR}/tools/wine-run;${CMAKE_BINARY_DIR}"
        PARENT_SCOPE)
  endif()
  if(QUIRE_BENCH)
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${QUIRE_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

include(GoogleTest)

# quire_add_test(<name> SOURCES ... [LIBS ...] [LABEL label] [ENVIRONMENT var=value]
#                [FIXTURES ...] [RESOURCE_LOCK name])
# One test program; each of its test cases becomes a CTest test, labelled
# `wine` or `native` by build and with LABEL when given.  FIXTURES names CTest
# fixtures (a server, say) that its tests need; RESOURCE_LOCK keeps its tests from
# running at the same time as others holding the same lock (the keyboard focus of
# the display, say).
function(quire_add_test name)
  cmake_parse_arguments(ARG "" "LABEL;ENVIRONMENT;RESOURCE_LOCK" "SOURCES;LIBS;FIXTURES" ${ARGN})
  if(QUIRE_BENCH)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES QUIRE_TEST ON)
  if(QUIRE_WINDOWS)
    # The tests' precompiled header holds the C++ standard headers (through
    # GoogleTest), so GCC 12's false string-copy warnings would show there;
    # the native build checks the bounds of the same code for real.
    target_compile_options(${name} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow>)
  endif()
  # The build's label goes on the folder: test discovery passes properties as
  # a flat list, where a list-valued property would swallow the next ones.
  if(QUIRE_WINDOWS)
    set(build_label wine)
  else()
    set(build_label native)
  endif()
  get_property(folder_labels DIRECTORY PROPERTY LABELS)
  if(NOT build_label IN_LIST folder_labels)
    set_property(DIRECTORY APPEND PROPERTY LABELS ${build_label})
  endif()
  set(properties)
  foreach(property LABEL ENVIRONMENT FIXTURES)
    if(ARG_${property})
      list(LENGTH ARG_${property} count)
      if(count GREATER 1)
        message(FATAL_ERROR "quire_add_test(${name}): one ${property} at most")
      endif()
    endif()
  endforeach()
  if(ARG_LABEL)
    list(APPEND properties LABELS ${ARG_LABEL})
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT ${ARG_ENVIRONMENT})
  endif()
  if(ARG_FIXTURES)
    list(APPEND properties FIXTURES_REQUIRED ${ARG_FIXTURES})
  endif()
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()

# quire_add_fuzzer(<name> SOURCES ... [LIBS ...] [CORPUS dir] [LONG_SECONDS cap])
# A libFuzzer target; `make fuzz` runs every one listed in fuzzers.txt, and
# `make fuzz-long` until 10,000,000 executions or LONG_SECONDS (600 unless
# given), growing the CORPUS folder.
function(quire_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;LONG_SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LONG_SECONDS)
    set(ARG_LONG_SECONDS 600)
  endif()
  if(NOT QUIRE_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY QUIRE_FUZZERS
               "$<TARGET_FILE:${name}>|${ARG_CORPUS}|${ARG_LONG_SECONDS}")
endfunction()

# Writes fuzzers.txt into the build folder: one "program|seed corpus|long cap"
# line per target.
function(quire_write_fuzzer_list)
  if(NOT QUIRE_FUZZ)
    return()
  endif()
  get_property(entries GLOBAL PROPERTY QUIRE_FUZZERS)
  list(JOIN entries "\n" content)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzzers.txt CONTENT "${content}\n")
endfunction()

# quire_add_benchmark(<name> SOURCES ... [LIBS ...])
function(quire_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QUIRE_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# <windows.h>, which nearly every source of the Windows build includes, and
# for the test programs GoogleTest, parsed once for the whole build instead of
# once per source: the parse is most of a file's compile time there.  Each
# header is made by a target of its own and reused by the others, whose flags
# differ only in definitions that these headers do not read.  The C++
# standard headers stay out of the libraries' header: code inlined from a
# precompiled header loses its system-header status, and GCC 12 then reports
# its usual false out-of-bounds warnings about std::string copies.
set(QUIRE_TEST_PCH <gtest/gtest.h> <gmock/gmock.h>)

# A target with a C and a C++ source, so that targets of both languages can
# reuse its headers; the C header holds <windows.h> alone.
function(quire_add_pch_host name)
  set(sources)
  foreach(extension c cpp)
    set(source ${CMAKE_BINARY_DIR}/pch/${name}.${extension})
    file(GENERATE OUTPUT ${source} CONTENT "/* Makes the precompiled header. */\n")
    list(APPEND sources ${source})
  endforeach()
  add_library(${name} OBJECT ${sources})
  set(headers <windows.h>)
  foreach(header IN LISTS ARGN)
    string(REPLACE ">" "$<ANGLE-R>" header "${header}")
    list(APPEND headers "$<$<COMPILE_LANGUAGE:CXX>:${header}>")
  endforeach()
  target_precompile_headers(${name} PRIVATE ${headers})
endfunction()

# Whether a target compiles with UNICODE, by its own definitions or those that
# the libraries it links (and theirs) pass on.
function(quire_defines_unicode target result)
  set(pending ${target})
  set(seen)
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET ${current} OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    set(properties INTERFACE_COMPILE_DEFINITIONS INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND properties COMPILE_DEFINITIONS LINK_LIBRARIES)
    endif()
    foreach(property IN LISTS properties)
      get_target_property(values ${current} ${property})
      if(NOT values)
        continue()
      endif()
      if(property MATCHES "DEFINITIONS" AND "UNICODE" IN_LIST values)
        set(${result} ON PARENT_SCOPE)
        return()
      endif()
      if(property MATCHES "LINK_LIBRARIES")
        list(APPEND pending ${values})
      endif()
    endforeach()
  endwhile()
  set(${result} OFF PARENT_SCOPE)
endfunction()

# Gives every C++ target of the tree (not the GoogleTest build) one of the two
# precompiled headers.  Called once, after every subsystem is added.
function(quire_precompile_windows_headers)
  if(NOT QUIRE_WINDOWS)
    return()
  endif()
  # UNICODE changes what <windows.h> declares, so its targets get their own pair.
  foreach(flavour "" _unicode)
    quire_add_pch_host(quire${flavour}_pch)
    quire_add_pch_host(quire${flavour}_test_pch ${QUIRE_TEST_PCH})
    target_link_libraries(quire${flavour}_test_pch PRIVATE GTest::gmock)
  endforeach()
  target_compile_definitions(quire_unicode_pch PRIVATE UNICODE _UNICODE)
  target_compile_definitions(quire_unicode_test_pch PRIVATE UNICODE _UNICODE)
  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
      cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${sub}" inside)
      if(inside)
        list(APPEND pending ${sub})
      endif()
    endforeach()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(sources ${target} SOURCES)
      if(target MATCHES "^quire(_unicode)?(_test)?_pch$" OR type STREQUAL "INTERFACE_LIBRARY"
         OR NOT type MATCHES "EXECUTABLE|LIBRARY" OR NOT sources MATCHES "\\.(cpp|cc)(;|$)")
        continue()
      endif()
      set(host quire)
      quire_defines_unicode(${target} unicode)
      if(unicode)
        string(APPEND host _unicode)
      endif()
      get_target_property(test ${target} QUIRE_TEST)
      if(test)
        string(APPEND host _test)
      endif()
      target_precompile_headers(${target} REUSE_FROM ${host}_pch)
    endforeach()
  endwhile()
endfunction()
