# mingw-w64-x86_64.cmake - cross-builds the native Windows program on Linux with
# Debian's mingw-w64 (the posix-thread compilers, which GoogleTest needs) and runs
# the built test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the programs then need no libstdc++/libwinpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
