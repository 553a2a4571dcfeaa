# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler (package
# g++-mingw-w64-x86-64-posix). Everything is linked statically, so the .exe
# files run on a bare Windows without the compiler's DLLs beside them. The
# posix flavour is the one whose libstdc++ has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRACKWYN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRACKWYN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRACKWYN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRACKWYN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRACKWYN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC cannot align the stack beyond 16 bytes on Windows, so a spilled AVX
# register could be stored with an aligned move to an unaligned slot; the
# assembler makes every such move an unaligned one, which is as fast.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and add_test start the test programs through Wine.
find_program(BRACKWYN_WINE NAMES wine64 wine)
if(BRACKWYN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRACKWYN_WINE})
endif()
