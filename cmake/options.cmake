# Every option of the build and every flag it adds, in one place: warnings, the sanitizers and the
# fuzzer, hardening, the mapping of build paths, and what the program alone is built with
# (vorlund_program). The static Linux builds' own flags are their toolchain's
# (cmake/toolchains/linux-musl.cmake).

# A distribution builds with its own flags, which must have the last word: Debian (dh) and Arch
# (makepkg) say so by the build type None, Fedora's and openSUSE's macros by CXXFLAGS without a
# build type. Such a build gets no build type, hardening or mapping of paths of vorlund's, only
# the flags the code needs; every other build (the README's, a release's, CI's) gets all of them.
# Decided at the first configure, when CMake reads CXXFLAGS, and kept.
if(NOT DEFINED VORLUND_OWN_FLAGS_ONLY)
    set(own OFF)
    if(CMAKE_BUILD_TYPE STREQUAL "None" OR (NOT CMAKE_BUILD_TYPE AND NOT "$ENV{CXXFLAGS}" STREQUAL ""))
        set(own ON)
    endif()
    set(VORLUND_OWN_FLAGS_ONLY ${own} CACHE BOOL "The builder's own flags alone: no build type, hardening or path map of vorlund's")
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES AND NOT VORLUND_OWN_FLAGS_ONLY)
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

# libFuzzer comes with clang, which CMakeLists.txt picks before the language is enabled.
# Everything is instrumented for coverage; only the fuzz target links libFuzzer's main.
option(VORLUND_FUZZ "Build the fuzz target (selects clang++)" OFF)
if(VORLUND_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VORLUND_FUZZ needs clang++, which has libFuzzer: CXX=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link ${VORLUND_SANITIZERS})
    add_link_options(${VORLUND_SANITIZERS})
endif()

option(VORLUND_STATIC "Link statically against musl, as a static PIE (Debian: musl-tools)" OFF)

# Hardened as Debian hardens its packages, in every build and not only in the package: PIE, a
# stack protector, a read-only GOT bound at start-up, and fortified C library calls, each where the
# compiler, the linker and the C library give it; but where the builder's own flags alone are
# wanted. Windows' linker makes programs relocatable, for address randomisation, unasked, and a
# WebAssembly module has no addresses to randomise: its memory is its own.
if(VORLUND_OWN_FLAGS_ONLY)
    set(ours OFF)
else()
    set(ours ON)
endif()
option(VORLUND_HARDENING "Build with PIE, a stack protector, full RELRO and _FORTIFY_SOURCE" ${ours})
if(VORLUND_HARDENING)
    include(CheckCXXSourceCompiles)
    include(CheckLinkerFlag)
    set(CMAKE_REQUIRED_QUIET ON)
    if(NOT WASI)
        set(CMAKE_POSITION_INDEPENDENT_CODE ON)
        # A static build links a static PIE by its toolchain's own flags; a -pie after them would
        # make gcc link a dynamic PIE instead.
        if(VORLUND_STATIC)
            set(CMAKE_CXX_LINK_OPTIONS_PIE "")
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

    # Fortified C library calls, at the highest level that the C library gives with this compiler:
    # 3 (glibc 2.34 with gcc 12 or clang 9), else 2, never below a level that the compiler or the
    # flags it was given already define, and none where the C library has no fortified calls
    # (musl, WASI's). Each C library that has them says which level it gives: glibc in
    # __USE_FORTIFY_LEVEL, mingw-w64 in __MINGW_FORTIFY_LEVEL. Only optimised builds: without the
    # optimiser glibc warns, which -Werror makes fatal. Not with the sanitizers, which check the
    # same and more and would have the calls hidden from them.
    #
    # vorlund_fortify_check(VARIABLE FLAGS TEST): whether the preprocessor, given FLAGS and the
    # optimiser, lets TEST through "#if !(TEST) #error".
    function(vorlund_fortify_check variable flags test)
        set(CMAKE_REQUIRED_FLAGS "-O2 ${flags}")
        check_cxx_source_compiles("#include <stdio.h>\n#if !(${test})\n#error\n#endif\nint main() {}" ${variable})
    endfunction()
    if(NOT VORLUND_SANITIZE AND NOT VORLUND_FUZZ)
        foreach(level 3 2)
            vorlund_fortify_check(VORLUND_FORTIFY_GIVES_${level} "-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level}"
                "(defined(__USE_FORTIFY_LEVEL) && __USE_FORTIFY_LEVEL >= ${level}) || \
(defined(__MINGW_FORTIFY_LEVEL) && __MINGW_FORTIFY_LEVEL >= ${level})")
            if(VORLUND_FORTIFY_GIVES_${level})
                vorlund_fortify_check(VORLUND_FORTIFY_DEFINED_${level} "" "defined(_FORTIFY_SOURCE) && _FORTIFY_SOURCE >= ${level}")
                if(NOT VORLUND_FORTIFY_DEFINED_${level})
                    add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${level}>")
                endif()
                break()
            endif()
        endforeach()
    endif()
endif()

# No path of the machine that built it in the binary (debug information, build ID), so that a
# build in another directory gives the same bytes; but where the builder's own flags alone are
# wanted, since a distribution's tools read the paths (debugedit, for its debug packages) or map
# them themselves (dpkg).
option(VORLUND_PREFIX_MAP "Write the source and build directories into the binary as ." ${ours})
if(VORLUND_PREFIX_MAP)
    add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
endif()

# A program ships stripped of symbols and of the compiler's .comment note, as Debian strips its
# own. A release strips it as it is linked, so that what the tests run is what ships; otherwise a
# package strips its own copy (cmake/cpack-stage.cmake).
set(VORLUND_STRIP_COMMAND "${CMAKE_STRIP}" --remove-section=.comment --remove-section=.note)
option(VORLUND_STRIP "Strip the program as it is linked, as a release ships it" OFF)

include(CheckLinkerFlag)
check_linker_flag(CXX LINKER:--as-needed VORLUND_LINKER_AS_NEEDED)

# vorlund_program(TARGET...): what the program's own code is built with. Plain C and POSIX
# underneath: no exception tables or type information to carry, and no C++ runtime library loaded
# for nothing, whichever compiler links (clang adds them unasked), where the linker can leave out a
# library that nothing uses; stripped as it is linked where VORLUND_STRIP asks for it.
function(vorlund_program)
    foreach(target IN LISTS ARGN)
        target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "EXECUTABLE")
            continue()
        endif()
        if(VORLUND_LINKER_AS_NEEDED)
            target_link_options(${target} PRIVATE LINKER:--as-needed)
        endif()
        if(VORLUND_STRIP)
            add_custom_command(TARGET ${target} POST_BUILD COMMAND ${VORLUND_STRIP_COMMAND} "$<TARGET_FILE:${target}>")
        endif()
    endforeach()
endfunction()
