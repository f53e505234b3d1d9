# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers. The posix variant is the one
# with std::thread and std::mutex, which Qt and our rules use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FURAMIO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FURAMIO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FURAMIO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FURAMIO_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${FURAMIO_MINGW_TRIPLE}-gcc-ar-posix)
set(CMAKE_RANLIB ${FURAMIO_MINGW_TRIPLE}-gcc-ranlib-posix)

# Libraries and headers come from the MinGW sysroot and the cross-built Qt only; programs such as
# moc run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${FURAMIO_MINGW_TRIPLE} ${FURAMIO_QT_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
