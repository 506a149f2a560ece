# A cross build for 32-bit Arm, ARMv7 with hardware floating point: the 32-bit Raspberry Pi OS.
# Debian packages: g++-arm-linux-gnueabihf, qemu-user.
set(CMAKE_SYSTEM_PROCESSOR armv7)
set(VORLUND_TARGET arm-linux-gnueabihf)
set(VORLUND_QEMU qemu-arm)
set(VORLUND_DEB_ARCH armhf)
set(VORLUND_RPM_ARCH armv7hl)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake")
