# The Wayland protocols the program speaks (the backend, and the idle
# watcher's idle notifications), as a static C library:
# wayland-scanner makes a client header and the private marshalling code of
# each at build time. Include this file from a CMakeLists.txt; targets link
# lightmatrix_wayland_protocols and include the headers by their file names,
# such as "xdg-shell-client-protocol.h".
#
# xdg-shell and viewporter (stable), fractional-scale-v1 and ext-idle-notify-v1
# (staging) and xdg-output (unstable) come from the wayland-protocols
# package; KDE's idle protocol from plasma-wayland-protocols; wlr layer-shell,
# which Debian does not package, is our own description beside this file.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_check_modules(WAYLAND_PROTOCOLS REQUIRED wayland-protocols>=1.31)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_check_modules(WAYLAND_SCANNER REQUIRED wayland-scanner)
find_package(PlasmaWaylandProtocols REQUIRED)
pkg_get_variable(WAYLAND_SCANNER_PROGRAM wayland-scanner wayland_scanner)
find_program(WAYLAND_SCANNER NAMES wayland-scanner HINTS "${WAYLAND_SCANNER_PROGRAM}" REQUIRED)

set(lightmatrix_wayland_protocol_files
    ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
    ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
    ${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
    ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
    ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
    ${PLASMA_WAYLAND_PROTOCOLS_DIR}/idle.xml
    ${CMAKE_CURRENT_LIST_DIR}/protocols/wlr-layer-shell-unstable-v1.xml)

set(lightmatrix_wayland_protocols_dir ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${lightmatrix_wayland_protocols_dir})
set(lightmatrix_wayland_protocol_sources)
foreach(xml IN LISTS lightmatrix_wayland_protocol_files)
    get_filename_component(name ${xml} NAME_WE)
    set(header ${lightmatrix_wayland_protocols_dir}/${name}-client-protocol.h)
    set(code ${lightmatrix_wayland_protocols_dir}/${name}-protocol.c)
    add_custom_command(
        OUTPUT ${header} ${code}
        COMMAND ${WAYLAND_SCANNER} --strict client-header ${xml} ${header}
        COMMAND ${WAYLAND_SCANNER} --strict private-code ${xml} ${code}
        DEPENDS ${xml}
        COMMENT "Generating the Wayland protocol ${name}"
        VERBATIM)
    list(APPEND lightmatrix_wayland_protocol_sources ${header} ${code})
endforeach()

# Generated C: none of the project's C++ warning options (they are
# C++-only, through lightmatrix_options), and no -Werror of its own.
add_library(lightmatrix_wayland_protocols STATIC ${lightmatrix_wayland_protocol_sources})
set_target_properties(lightmatrix_wayland_protocols PROPERTIES
    LINKER_LANGUAGE C POSITION_INDEPENDENT_CODE ON)
# SYSTEM: the generated headers' inline functions stay out of the C++
# warnings of the code that includes them.
target_include_directories(lightmatrix_wayland_protocols SYSTEM PUBLIC
    ${lightmatrix_wayland_protocols_dir})
target_link_libraries(lightmatrix_wayland_protocols PUBLIC PkgConfig::WAYLAND_CLIENT)
