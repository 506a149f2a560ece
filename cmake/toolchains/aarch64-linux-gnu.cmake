# A cross build for 64-bit Arm: the 64-bit Raspberry Pi OS, and most Arm boards.
# Debian packages: g++-aarch64-linux-gnu, qemu-user.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VORLUND_TARGET aarch64-linux-gnu)
set(VORLUND_QEMU qemu-aarch64)
set(VORLUND_DEB_ARCH arm64)
set(VORLUND_RPM_ARCH aarch64)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake")

# The linker ends the read-only part of the data on a boundary of the largest page size it
# allows for, 64 KiB here, and pads the file up to it, which nearly doubles a static binary. 16 KiB
# pages are the largest that Arm machines people play on use (the Raspberry Pi 5), and a multiple
# of the 4 KiB that the rest use.
if(VORLUND_STATIC)
    string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,-z,max-page-size=16384")
endif()
