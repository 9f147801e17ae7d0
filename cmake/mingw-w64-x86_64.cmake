# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads) and runs the
# results under Wine. For the desktop program and its tests, pass the Qt for Windows that
# scripts/windows-qt.sh builds: -DBRIEFLIST_QT_WINDOWS=<its prefix>.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(BRIEFLIST_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${BRIEFLIST_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${BRIEFLIST_QT_WINDOWS})
  # moc, rcc and uic are the host's, of the same Qt version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No -static here: Qt's DLLs use the compiler's runtime DLLs, and a program linking them must
# share that runtime. Programs without Qt link it statically (brieflist_static_runtime in the
# top-level CMakeLists.txt), so brieflist-cli.exe runs alone.

find_program(BRIEFLIST_WINE NAMES wine wine64)
if(BRIEFLIST_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIEFLIST_WINE})
endif()
