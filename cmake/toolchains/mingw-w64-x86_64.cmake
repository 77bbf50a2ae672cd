# Windows x86-64 with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix), the
# tests run under Wine (wine64).
#
# The posix-thread compiler: the win32-thread one has no std::thread or
# std::mutex, which the library and GoogleTest use. Everything links
# statically, so Murloppc.dll and the test programs import only the system's
# own DLLs (no libstdc++-6.dll, libgcc_s or libwinpthread-1.dll to ship).
#
# The tests run through Wine in a prefix of the build folder. Start its server
# before ctest and stop it after (see docs/portability.md):
#   export WINEPREFIX=$PWD/build/mingw/wineprefix WINEDEBUG=-all
#   wineserver -p </dev/null >/dev/null 2>&1; wine64 wineboot --init
#   ctest --preset mingw; wineserver -k
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(murlo_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${murlo_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${murlo_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${murlo_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${murlo_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader as /usr/lib/wine/wine64; /usr/bin/wine
# is a script that picks it.
find_program(MURLO_WINE NAMES wine64 wine PATHS /usr/lib/wine
  DOC "Wine loader that runs the Windows tests")
# wine_run.sh starts a program again when Wine itself failed to start it,
# which happens now and then on a busy machine (see the script).
if(MURLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
    ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${MURLO_WINE})
endif()
