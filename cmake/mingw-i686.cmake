# Cross toolchain for the shipped 32-bit x86 Windows build (Debian's MinGW-w64, win32 threads).
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
