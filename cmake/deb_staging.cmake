# Run by CPack on the staged files before it makes a package. For the Debian
# package: the manual pages compressed, and the Debian changelog beside the
# copyright, both with gzip -9n as Debian's tools do it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB manual_pages ${root}/share/man/man*/*.[0-9])
file(COPY_FILE ${CPACK_LIGHTMATRIX_CHANGELOG} ${root}/share/doc/lightmatrix/changelog.Debian)
foreach(file IN LISTS manual_pages ITEMS ${root}/share/doc/lightmatrix/changelog.Debian)
    execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
