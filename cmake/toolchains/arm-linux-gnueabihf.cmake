# 32-bit ARM hard-float Linux with Debian's g++-arm-linux-gnueabihf (ARMv7-A,
# VFPv3-D16); the tests run under qemu-user (qemu-arm) with the cross
# toolchain's libraries as its root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)

set(murlo_triple arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${murlo_triple}-gcc)
set(CMAKE_CXX_COMPILER ${murlo_triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${murlo_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MURLO_QEMU NAMES qemu-arm qemu-arm-static
  DOC "qemu-user emulator that runs the armhf tests")
if(MURLO_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MURLO_QEMU} -L /usr/${murlo_triple})
endif()
