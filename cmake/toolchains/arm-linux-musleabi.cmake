# 32-bit Arm, ARMv5TE and later: every Raspberry Pi, the Pi 1 and the Pi Zero (ARMv6) too, and
# whichever floating point its system uses, as a static program calls no library across that
# line.
set(CMAKE_SYSTEM_PROCESSOR armv5te)
set(VORLUND_TARGET arm-linux-gnueabi)
include("${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake")
