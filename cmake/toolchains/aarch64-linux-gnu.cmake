# 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu; the tests run under
# qemu-user (qemu-aarch64) with the cross toolchain's libraries as its root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(murlo_triple aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${murlo_triple}-gcc)
set(CMAKE_CXX_COMPILER ${murlo_triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${murlo_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MURLO_QEMU NAMES qemu-aarch64 qemu-aarch64-static
  DOC "qemu-user emulator that runs the aarch64 tests")
if(MURLO_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MURLO_QEMU} -L /usr/${murlo_triple})
endif()
