# Not a toolchain of its own: what the Linux toolchains here share. Each sets
# CMAKE_SYSTEM_PROCESSOR and VORLUND_TARGET, the GNU triple of Debian's compilers for it
# (g++-TARGET), then includes this file: a static PIE against that architecture's musl (Debian's
# musl-dev:ARCH), which runs on any Linux of the architecture with nothing installed, its tests run
# under the command its row of release/targets names.
set(VORLUND_TOOLCHAIN "${CMAKE_PARENT_LIST_FILE}") # before an include() moves it on
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VORLUND_TARGET}-gcc)
set(VORLUND_STATIC ON)
set(VORLUND_GCC ${VORLUND_TARGET}-gcc)
include("${CMAKE_CURRENT_LIST_DIR}/../musl-static.cmake")
# CMake finds the target's binutils by the C++ compiler's name, which gcc does not give away.
foreach(tool ar ranlib strip)
    string(TOUPPER ${tool} variable)
    set(CMAKE_${variable} ${VORLUND_TARGET}-${tool} CACHE FILEPATH "")
endforeach()
set(CMAKE_FIND_ROOT_PATH /usr/${VORLUND_TARGET})
include("${CMAKE_CURRENT_LIST_DIR}/target.cmake")
