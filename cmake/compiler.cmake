# Choices that must be made before the project's language is enabled.

# libFuzzer comes with clang, so the fuzzing build is a clang build.
option(VORLUND_FUZZ "Build the fuzz target (selects clang++)" OFF)
if(VORLUND_FUZZ AND NOT DEFINED CMAKE_CXX_COMPILER)
    set(CMAKE_CXX_COMPILER clang++)
endif()
