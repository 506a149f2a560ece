# Not a toolchain of its own: what the cross toolchains here share. Each sets
# CMAKE_SYSTEM_PROCESSOR, VORLUND_TARGET (the GNU triple of Debian's g++-TARGET), VORLUND_QEMU
# (qemu-user's emulator for it) and its architecture's names in Debian and RPM packages
# (VORLUND_DEB_ARCH, VORLUND_RPM_ARCH), then includes this file. The tests run the target's
# binaries under that emulator, with the target's C library from Debian's cross packages; a
# static build (VORLUND_STATIC) is made against the target's musl instead.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VORLUND_TARGET}-gcc) # GoogleTest, built from its sources, also needs C
if(VORLUND_STATIC)
    set(VORLUND_GCC ${VORLUND_TARGET}-gcc)
    include("${CMAKE_CURRENT_LIST_DIR}/../musl-static.cmake")
    # CMake finds the target's binutils by the C++ compiler's name, which gcc does not give away.
    foreach(tool ar ranlib strip)
        string(TOUPPER ${tool} variable)
        set(CMAKE_${variable} ${VORLUND_TARGET}-${tool} CACHE FILEPATH "")
    endforeach()
else()
    set(CMAKE_CXX_COMPILER ${VORLUND_TARGET}-g++)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${VORLUND_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The target's loader from the cross packages would otherwise take the C library that the host's
# cache of libraries names, which, when the target's own libc6 is installed beside them (as the
# release needs), is another build of it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLUND_QEMU} -L /usr/${VORLUND_TARGET}
    -E LD_LIBRARY_PATH=/usr/${VORLUND_TARGET}/lib)
