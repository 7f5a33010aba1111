# Cross-compiles the 64-bit stand-in of the Windows program (cmake/qerno.cmake),
# for machines whose kernel runs no 32-bit x86 code (settings in mingw.cmake).
set(QERNO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
