# Shared by the Linux cross toolchain files: Debian's cross compiler for
# murlo_triple, its libraries as the find root, and the tests run under
# qemu-user (murlo_qemu) with those libraries as its root.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${murlo_triple}-gcc)
set(CMAKE_CXX_COMPILER ${murlo_triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${murlo_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MURLO_QEMU NAMES ${murlo_qemu} ${murlo_qemu}-static
  DOC "qemu-user emulator that runs the ${CMAKE_SYSTEM_PROCESSOR} tests")
if(MURLO_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MURLO_QEMU} -L /usr/${murlo_triple})
endif()
