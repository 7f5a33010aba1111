# Shared compile settings and the helpers every module's CMakeLists uses.

# Sources are UTF-8; every Chinese literal becomes GBK bytes (code page 936)
# in both builds, which is what Text holds.
set(QERNO_COMMON_FLAGS -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=GBK)
# A warning in our own code fails the build, so none piles up unseen in a
# quiet build log. Only first-party targets get these flags: SQLite and
# GoogleTest are built with their own.
option(QERNO_WERROR "Treat warnings in first-party code as errors" ON)
if(QERNO_WERROR)
  list(APPEND QERNO_COMMON_FLAGS -Werror)
endif()

# The 64-bit stand-in: the Windows build made with the 64-bit MinGW-w64 for
# machines whose kernel runs no 32-bit x86 code (IA-32 emulation off), where
# the 32-bit Wine cannot start but the 64-bit one can. The same sources, so
# the window, the monitor and the store are tested and measured under Wine
# there; only what patches 32-bit x86 code (the inline hooks, the crash
# guard's machinery) is left out. The product stays the 32-bit program.
set(QERNO_WIN64_STANDIN OFF)
if(QERNO_WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QERNO_WIN64_STANDIN ON)
endif()

if(QERNO_WIN32)
  # One thread per monitored host: Wine takes 2 MB of address space per
  # thread whatever the program asks (runtime/thread.h), so even 1,000 hosts
  # need more than the 2 GB a plain 32-bit process gets. Large-address-aware
  # gets 4 GB on 64-bit Windows and under Wine (a 64-bit program has it).
  if(NOT QERNO_WIN64_STANDIN)
    add_link_options(-Wl,--large-address-aware)
  endif()
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
                          _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
else()
  add_compile_options(-fno-omit-frame-pointer)
  if(QERNO_ASAN)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(QERNO_TSAN)
    add_compile_options(-fsanitize=thread)
    add_link_options(-fsanitize=thread)
  endif()
endif()

# GoogleTest: Debian's package natively, built from /usr/src/googletest for Windows.
if(QERNO_WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

# SQLite: one amalgamation (scripts/fetch-sqlite, from Debian's source
# package) built with the same options for both builds, so the native tests
# and benchmarks measure the engine that ships.
# - Serialized thread mode: one connection is shared by every monitor task.
# - STAT4: histogram samples let the planner tell an old, sparse date range
#   (search the date index) from a wide one (walk the row ids backwards and
#   stop after 1000 rows); with stat1 alone both look the same. 1024 samples
#   instead of 24: with 24, a range of a few hundred rows between two samples
#   of a large log is guessed at thousands of rows and read by a full scan.
# - WAL synchronous NORMAL by default: a commit is a write to the WAL without
#   a sync, so a log row costs no disk flush. A killed process loses nothing
#   (the WAL is in the OS cache), and a power cut may lose the last commits
#   but never corrupts the file; a full sync per row could not keep up with
#   an outage of many hosts at once.
# Sanitizers stay off for it, as for the system library it replaces: the
# compile options are set here, not inherited from the directory.
set(QERNO_SQLITE_DIR ${CMAKE_SOURCE_DIR}/.cache/sqlite)
if(NOT EXISTS ${QERNO_SQLITE_DIR}/sqlite3.c)
  message(FATAL_ERROR "No SQLite amalgamation in ${QERNO_SQLITE_DIR}: run scripts/fetch-sqlite")
endif()
add_library(qerno_sqlite3 STATIC ${QERNO_SQLITE_DIR}/sqlite3.c)
target_include_directories(qerno_sqlite3 SYSTEM PUBLIC ${QERNO_SQLITE_DIR})
target_compile_definitions(qerno_sqlite3 PRIVATE SQLITE_THREADSAFE=1
                           SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_FOREIGN_KEYS=0
                           SQLITE_ENABLE_STAT4 SQLITE_STAT4_SAMPLES=1024
                           SQLITE_DEFAULT_WAL_SYNCHRONOUS=1)
set_property(TARGET qerno_sqlite3 PROPERTY COMPILE_OPTIONS -O2 -w)
if(NOT QERNO_WIN32)
  set_property(TARGET qerno_sqlite3 PROPERTY POSITION_INDEPENDENT_CODE ON)
  find_package(Threads REQUIRED)
  target_link_libraries(qerno_sqlite3 PUBLIC Threads::Threads m)
endif()
add_library(SQLite::SQLite3 ALIAS qerno_sqlite3)

# qerno_layer(<name> [LIBS ...]): the static library of one layer folder, from
# its sources by convention: <folder>/*.cpp everywhere, <folder>/win32/*.cpp
# only in the Windows build, <folder>/posix/*.cpp only in the native build.
# X86_ONLY: the layer's win32/ sources patch 32-bit x86 code; the 64-bit
# stand-in takes <folder>/win64/*.cpp in their place.
function(qerno_layer name)
  cmake_parse_arguments(L "X86_ONLY" "" "LIBS" ${ARGN})
  file(GLOB portable CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  file(GLOB win32 CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  if(L_X86_ONLY AND QERNO_WIN64_STANDIN)
    file(GLOB win32 CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win64/*.cpp)
  endif()
  file(GLOB posix CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  if(NOT portable AND NOT (QERNO_WIN32 AND win32) AND NOT (NOT QERNO_WIN32 AND posix))
    add_library(${name} INTERFACE)  # the layer has no sources yet
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_LIBS})
    return()
  endif()
  qerno_module(${name} SOURCES ${portable} WIN32_SOURCES ${win32} POSIX_SOURCES ${posix}
               LIBS ${L_LIBS})
endfunction()

# qerno_module(<name> SOURCES ... [WIN32_SOURCES ...] [POSIX_SOURCES ...] [LIBS ...])
# A static library of one layer, includable as "folder/file.h" from the root.
function(qerno_module name)
  cmake_parse_arguments(M "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;LIBS" ${ARGN})
  set(srcs ${M_SOURCES})
  if(QERNO_WIN32)
    list(APPEND srcs ${M_WIN32_SOURCES})
  else()
    list(APPEND srcs ${M_POSIX_SOURCES})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QERNO_COMMON_FLAGS})
  target_link_libraries(${name} PUBLIC ${M_LIBS})
endfunction()

# qerno_test_executable(<name> SOURCES ... LIBS ...): a GoogleTest executable
# with the project's flags, not yet registered with ctest (for tests that
# need a command of their own around it: register it with qerno_add_gtest).
function(qerno_test_executable name)
  cmake_parse_arguments(E "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${E_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QERNO_COMMON_FLAGS})
  target_link_libraries(${name} PRIVATE ${E_LIBS} GTest::gtest GTest::gtest_main)
  if(NOT QERNO_WIN32)
    find_package(Threads REQUIRED)
    target_link_libraries(${name} PRIVATE Threads::Threads)
  endif()
endfunction()

# qerno_add_gtest(<name> TARGET <exe> [ARGS ...]) or
# qerno_add_gtest(<name> COMMAND <command ...>)
# Registers one run of a GoogleTest executable with ctest: the target itself
# (under Wine for the Windows build, through the cross-compiling emulator), or
# a command that runs one (scripts/netns run NAME $<TARGET_FILE:exe>). Either
# goes through scripts/gtest-run, which passes only when the program exits 0
# AND GoogleTest printed its summary: under Wine a crashing test program now
# and then exits 0, and one that ends early with 0 would pass on the code.
# ctest's timeout and --output-on-failure work as for the bare command.
set(QERNO_GTEST_RUN ${CMAKE_SOURCE_DIR}/scripts/gtest-run)
function(qerno_add_gtest name)
  cmake_parse_arguments(G "" "TARGET" "ARGS;COMMAND" ${ARGN})
  if(G_TARGET)
    set(G_COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${G_TARGET}> ${G_ARGS})
  endif()
  add_test(NAME ${name} COMMAND ${QERNO_GTEST_RUN} ${G_COMMAND})
endfunction()

# qerno_test(<name> SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s] [RESOURCE_LOCK ...])
# One GoogleTest executable registered as one ctest test (qerno_add_gtest).
function(qerno_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  qerno_test_executable(${name} SOURCES ${T_SOURCES} LIBS ${T_LIBS})
  qerno_add_gtest(${name} TARGET ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()

# qerno_add_subfolders(): every subfolder of the calling folder that has a
# CMakeLists.txt (one test suite, tool or benchmark each) is added.
function(qerno_add_subfolders)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND
       EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
