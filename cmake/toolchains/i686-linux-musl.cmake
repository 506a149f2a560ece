# 32-bit x86, where file offsets need _FILE_OFFSET_BITS=64 to reach 64 bits.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORLUND_TARGET i686-linux-gnu)
include("${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake")
