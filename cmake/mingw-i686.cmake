# Cross-compiles the 32-bit Windows program (settings in mingw.cmake).
set(QERNO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
