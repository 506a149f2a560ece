# x86_64: every Linux PC and the Steam Deck.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORLUND_TARGET x86_64-linux-gnu)
include("${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake")
