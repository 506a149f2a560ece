# What CMake needs to know of WASI as a system: programs are WebAssembly modules, linked whole.
set(WASI 1)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
