# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the posix thread model,
# which std::thread needs). Everything is linked statically, so dinarvexsor.exe runs on a
# bare Windows without DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The libraries built for mingw by build_libraries.sh are searched beside the compiler's.
get_filename_component(DINARVEX_MINGW_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../build/mingw-libs/prefix" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${DINARVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs, and GoogleTest's listing of their tests, run under wine (through a script
# that starts again a program wine ended before it ran). The real windows' tests start
# their programs under wine themselves.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_test_run.sh)
set(DINARVEX_RUN_WITH wine)
