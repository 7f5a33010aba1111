# Cross-compiling with MinGW-w64 (posix thread model, so std::thread and
# std::mutex work; everything linked statically), for the architecture the
# including toolchain file names in QERNO_MINGW_ARCH: mingw-i686.cmake for
# the 32-bit program, mingw-x86_64.cmake for its 64-bit stand-in
# (cmake/qerno.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QERNO_MINGW_ARCH})
set(CMAKE_C_COMPILER ${QERNO_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${QERNO_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${QERNO_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QERNO_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The crash guard walks EBP frames of ordinary routines: keep frame pointers
# (in the stand-in too, so both build the same code).
set(CMAKE_C_FLAGS_INIT "-fno-omit-frame-pointer")
set(CMAKE_CXX_FLAGS_INIT "-fno-omit-frame-pointer")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test executables run under Wine through a wrapper with its own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
