# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
#
# Used both for building Qt itself (scripts/windows-qt) and for building velmor
# against that Qt (scripts/windows-build). Host tools (moc, rcc, uic) come from
# the build machine's own Qt of the same version through QT_HOST_PATH.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMOR_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VELMOR_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELMOR_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers only from the MinGW sysroot and the target Qt; programs
# (host tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMOR_MINGW_TRIPLE})
if(DEFINED ENV{VELMOR_QT_MINGW_PREFIX})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{VELMOR_QT_MINGW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The build machine's pkg-config would hand out Linux libraries.
set(PKG_CONFIG_EXECUTABLE "" CACHE FILEPATH "" FORCE)

# Tests and helper programs run through Wine.
find_program(VELMOR_WINE NAMES wine wine64)
if(VELMOR_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMOR_WINE})
endif()
