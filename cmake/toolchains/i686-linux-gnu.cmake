# A cross build for 32-bit x86, where file offsets need _FILE_OFFSET_BITS=64 to reach 64 bits.
# Debian packages: g++-i686-linux-gnu, qemu-user.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORLUND_TARGET i686-linux-gnu)
set(VORLUND_QEMU qemu-i386)
set(VORLUND_DEB_ARCH i386)
set(VORLUND_RPM_ARCH i686)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake")
