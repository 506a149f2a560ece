# A cross build for 64-bit Windows with Debian's mingw-w64, its win32 thread model needing no
# pthread DLL, tested under Wine, its manual a web page made by mandoc.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORLUND_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLUND_TARGET}-gcc-win32) # GoogleTest, built from its sources, also needs C
set(CMAKE_CXX_COMPILER ${VORLUND_TARGET}-g++-win32)
set(CMAKE_RC_COMPILER ${VORLUND_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORLUND_TARGET})

# One file that needs no DLL but those every Windows has: the compiler's own libraries linked in.
# No time stamp in the header, so that the same source gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# Tested under Wine, as release/targets says: quiet, reading Unix names and arguments as UTF-8, and
# making a new prefix without asking to install Mono or Gecko.
include("${CMAKE_CURRENT_LIST_DIR}/target.cmake")
