# Fortified C library calls, at the highest level that the C library gives with this compiler: 3
# (glibc 2.34 with gcc 12 or clang 9), else 2, never below a level that the compiler or the flags
# it was given already define, and none where the C library has no fortified calls (musl, WASI's).
# Each C library that has them says which level it gives: glibc in __USE_FORTIFY_LEVEL, mingw-w64
# in __MINGW_FORTIFY_LEVEL. Only optimised builds: without the optimiser glibc warns, which -Werror
# makes fatal. Not with the sanitizers, which check the same and more and would have the calls
# hidden from them.

if(VORLUND_SANITIZE OR VORLUND_FUZZ)
    return()
endif()

# vorlund_fortify_check(VARIABLE FLAGS TEST): whether the preprocessor, given FLAGS and the
# optimiser, lets TEST through "#if !(TEST) #error".
function(vorlund_fortify_check variable flags test)
    set(CMAKE_REQUIRED_FLAGS "-O2 ${flags}")
    check_cxx_source_compiles("#include <stdio.h>\n#if !(${test})\n#error\n#endif\nint main() {}" ${variable})
endfunction()

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
