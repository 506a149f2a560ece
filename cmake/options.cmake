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
# stack protector, a read-only GOT bound at start-up, and fortified C library calls, each where the
# compiler, the linker and the C library give it. A distribution that brings its own flags turns
# this off. Windows' linker makes programs relocatable, for address randomisation, unasked, and a
# WebAssembly module has no addresses to randomise: its memory is its own.
option(VORLUND_HARDENING "Build with PIE, a stack protector, full RELRO and _FORTIFY_SOURCE" ON)
if(VORLUND_HARDENING)
    include(CheckCXXSourceCompiles)
    include(CheckLinkerFlag)
    set(CMAKE_REQUIRED_QUIET ON)
    if(NOT WASI)
        set(CMAKE_POSITION_INDEPENDENT_CODE ON)
        # A -pie after -static-pie would make gcc link a dynamic PIE instead.
        if(VORLUND_STATIC)
            set(CMAKE_CXX_LINK_OPTIONS_PIE -fPIE -static-pie)
        endif()
        include(CheckPIESupported)
        check_pie_supported()
    endif()
    # The link too: mingw-w64 takes the protector from libssp. WASI's C library has none.
    set(CMAKE_REQUIRED_FLAGS -fstack-protector-strong)
    set(CMAKE_REQUIRED_LINK_OPTIONS -fstack-protector-strong)
    check_cxx_source_compiles("int f(char *b);\nint main() { char b[64]; return f(b); }\nint f(char *b) { return b[0]; }"
                              VORLUND_STACK_PROTECTOR)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    if(VORLUND_STACK_PROTECTOR)
        add_compile_options(-fstack-protector-strong)
        add_link_options(-fstack-protector-strong)
    endif()
    # Where programs have a GOT to protect: ELF.
    check_linker_flag(CXX LINKER:-z,relro,-z,now VORLUND_LINKER_RELRO)
    if(VORLUND_LINKER_RELRO)
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
