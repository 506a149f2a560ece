# A cross build for 64-bit IBM Z, a big-endian machine.
# Debian packages: g++-s390x-linux-gnu, qemu-user.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VORLUND_TARGET s390x-linux-gnu)
set(VORLUND_QEMU qemu-s390x)
set(VORLUND_DEB_ARCH s390x)
set(VORLUND_RPM_ARCH s390x)
include("${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake")
