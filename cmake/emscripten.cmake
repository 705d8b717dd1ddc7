# Cross build for the browser with Debian's emscripten: em++ to WebAssembly.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# The program throws and catches its run-time errors; Debian's emscripten
# ships the runtime for exceptions done in JavaScript.
set(CMAKE_CXX_FLAGS_INIT -fexceptions)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fexceptions)

# Debian's emscripten finds the JavaScript modules its linker runs (acorn,
# for the optimiser) only among Debian's node modules, where a node from
# elsewhere does not look. Every compile and link gets NODE_PATH.
set(ENV{NODE_PATH} /usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
