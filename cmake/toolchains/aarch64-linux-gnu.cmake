# 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu; the tests run under
# qemu-user (qemu-aarch64) with the cross toolchain's libraries as its root.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(murlo_triple aarch64-linux-gnu)
set(murlo_qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
