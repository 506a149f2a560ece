# Build-wide flags, kept apart from the targets.

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

set(CMAKE_CXX_EXTENSIONS OFF)

# For clang-tidy and other tools that read how each file is compiled.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(VORLUND_WERROR "Treat compiler warnings as errors" OFF)

add_compile_options(-Wall -Wextra -Wpedantic -Wconversion -Wshadow)
if(VORLUND_WERROR)
    add_compile_options(-Werror)
endif()

# valgrind 3.19 cannot read the DWARF 5 that clang 14 writes by default.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options("$<$<CONFIG:Debug,RelWithDebInfo>:-gdwarf-4>")
endif()

# Image sizes and positions are 64-bit on every platform.
add_compile_definitions(_FILE_OFFSET_BITS=64)

# A finding stops the run, so that a test cannot pass over it.
set(VORLUND_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

option(VORLUND_SANITIZE "Build everything with AddressSanitizer and UBSan" OFF)
if(VORLUND_SANITIZE)
    add_compile_options(${VORLUND_SANITIZERS})
    add_link_options(${VORLUND_SANITIZERS})
endif()

# Everything is instrumented for coverage; only the fuzz target links libFuzzer's main.
if(VORLUND_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link ${VORLUND_SANITIZERS})
    add_link_options(${VORLUND_SANITIZERS})
endif()

# Hardened as Debian hardens its packages, in every build and not only in the package: PIE, a
# stack protector, a read-only GOT bound at start-up, and fortified C library calls. A
# distribution that brings its own flags turns this off. Windows programs have no GOT to protect,
# and its linker makes them relocatable, for address randomisation, unasked.
option(VORLUND_HARDENING "Build with PIE, a stack protector, full RELRO and _FORTIFY_SOURCE" ON)
if(VORLUND_HARDENING)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    # A -pie after -static-pie would make gcc link a dynamic PIE instead.
    if(VORLUND_STATIC)
        set(CMAKE_CXX_LINK_OPTIONS_PIE -fPIE -static-pie)
    endif()
    include(CheckPIESupported)
    check_pie_supported()
    # The link too: mingw-w64 takes the protector, and its fortified calls, from libssp.
    add_compile_options(-fstack-protector-strong)
    add_link_options(-fstack-protector-strong)
    if(NOT WIN32)
        add_link_options(LINKER:-z,relro,-z,now)
    endif()
    include(cmake/fortify.cmake)
endif()

# No path of the machine that built it in the binary (debug information, build ID), so that a
# build in another directory gives the same bytes. A distribution whose tools read the paths
# (debugedit, for its debug packages) turns this off.
option(VORLUND_PREFIX_MAP "Write the source and build directories into the binary as ." ON)
if(VORLUND_PREFIX_MAP)
    add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
endif()
