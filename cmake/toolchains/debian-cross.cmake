# Not a toolchain of its own: what the cross toolchains here share. Each sets CMAKE_SYSTEM_PROCESSOR,
# VORLUND_TARGET (the GNU triple of Debian's g++-TARGET) and VORLUND_QEMU (qemu-user's emulator for
# it), then includes this file. The tests run the target's binaries under that emulator, with the
# target's C library from Debian's cross packages.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VORLUND_TARGET}-gcc) # GoogleTest, built from its sources, also needs C
set(CMAKE_CXX_COMPILER ${VORLUND_TARGET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${VORLUND_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLUND_QEMU} -L /usr/${VORLUND_TARGET})
