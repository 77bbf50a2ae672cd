# 32-bit ARM hard-float Linux with Debian's g++-arm-linux-gnueabihf (ARMv7-A,
# VFPv3-D16); the tests run under qemu-user (qemu-arm) with the cross
# toolchain's libraries as its root.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(murlo_triple arm-linux-gnueabihf)
set(murlo_qemu qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
