# Cross build of the Windows DLL with Debian's mingw-w64 (posix thread model).
# Third-party libraries are built from Debian source packages inside the same
# tree, so the only sysroot is the toolchain's own. Programs (luac5.1, the
# build-time tools) are the host's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VO_MINGW_PREFIX}-windres)
set(CMAKE_AR ${VO_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VO_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJCOPY ${VO_MINGW_PREFIX}-objcopy CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs and build steps that run a built program go through wine.
find_program(VO_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VO_WINE})
