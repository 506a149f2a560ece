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
