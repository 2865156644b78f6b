# Cross toolchain for the x86_64 build of the same sources, the one Wine can run here (Debian's MinGW-w64, win32 threads).
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
