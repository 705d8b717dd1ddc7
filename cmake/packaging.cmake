# The packages, made by CPack from an optimised build: on Linux
# (`cpack -G DEB` in the app build) a Debian package of the X11 program, for
# Windows (`cpack -G ZIP` in the mingw build) a zip of lightmatrix.scr and a
# README. Both carry the version of project(), the one --version prints.
set(CPACK_PACKAGE_NAME lightmatrix)
set(CPACK_PACKAGE_VENDOR "The lightmatrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver of small round lights")
set(CPACK_STRIP_FILES ON)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

if(WIN32)
    # lightmatrix-1.00-win64.zip: the two files at the top of the zip.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    configure_file(${packaging}/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
    install(TARGETS lightmatrix_scr RUNTIME DESTINATION .)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
else()
    # lightmatrix_1.00-1_amd64.deb, its dependencies read from the program's
    # libraries by dpkg-shlibdeps.
    include(GNUInstallDirs)
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
    set(CPACK_DEBIAN_PACKAGE_SECTION x11)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    set(LIGHTMATRIX_MAINTAINER "The lightmatrix developers <lightmatrix@example.org>"
        CACHE STRING "The Maintainer field of the Debian package")
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LIGHTMATRIX_MAINTAINER}")
    set(CPACK_PACKAGE_DESCRIPTION
        "A black window holds a matrix of 90 rows by 120 columns of small round
lights. Every 10 milliseconds one light, picked at random, takes a random
colour, so coloured lights pile up; every six minutes all of them go dark
again. Any key or mouse button ends it.

It runs full screen, inside a host's preview window, or as an XScreenSaver
hack.")
    install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
    # Debian wants the manual page compressed and a changelog beside the
    # copyright; a from-source install does without both, so
    # deb_staging.cmake makes them on the files CPack staged for the package.
    configure_file(${packaging}/changelog.Debian.in changelog.Debian @ONLY)
    set(CPACK_LIGHTMATRIX_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian)
    set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_staging.cmake)
endif()

include(CPack)
