# Cross-building the Windows component with Debian's mingw-w64 toolchain:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTAVO_WINDOWS_ARCH=x86_64 ...
# (i686 for 32-bit spreadsheets). The posix thread model gives std::thread.
if(NOT TAVO_WINDOWS_ARCH)
  set(TAVO_WINDOWS_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAVO_WINDOWS_ARCH})
set(TAVO_TRIPLE ${TAVO_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVO_TRIPLE}-windres)
set(TAVO_WIDL ${TAVO_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
