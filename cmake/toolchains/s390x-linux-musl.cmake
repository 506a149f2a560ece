# 64-bit IBM Z, a big-endian machine.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VORLUND_TARGET s390x-linux-gnu)
include("${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake")
