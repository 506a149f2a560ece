# 64-bit Arm: the 64-bit Raspberry Pi OS and most Arm boards and servers. The linker lays the
# program out for pages of up to 64 KiB, the largest any kernel for it uses, at the cost of padding
# the file to a 64 KiB boundary.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VORLUND_TARGET aarch64-linux-gnu)
include("${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake")
