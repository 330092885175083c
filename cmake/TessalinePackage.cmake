# The Debian package (bash scripts/package): what `cmake --install` puts under /usr, with the
# dependencies dpkg-shlibdeps finds in the binaries. The Qt plugins the program loads at run
# time are invisible to it and named here.
include_guard(GLOBAL)

set(TESSALINE_MAINTAINER "Tessaline developers <tessaline@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package")

# Debian wants a copyright file, a compressed changelog and a manual page for each command.
set(package_sources ${CMAKE_SOURCE_DIR}/resources/package)
set(compressed)
foreach(file changelog tessaline.1 tessaline-verses.1)
    set(gz ${CMAKE_BINARY_DIR}/package/${file}.gz)
    add_custom_command(
        OUTPUT ${gz}
        COMMAND gzip -9n -c ${package_sources}/${file} > ${gz}
        DEPENDS ${package_sources}/${file}
        COMMENT "Compressing ${file}")
    list(APPEND compressed ${gz})
endforeach()
# Part of every build: any install, also the tests' into a temporary prefix, copies them.
add_custom_target(tessaline_package_docs ALL DEPENDS ${compressed})
add_dependencies(tessaline_installable tessaline_package_docs)
install(FILES ${package_sources}/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
        DESTINATION share/doc/tessaline)
install(FILES ${CMAKE_BINARY_DIR}/package/tessaline.1.gz
        ${CMAKE_BINARY_DIR}/package/tessaline-verses.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSALINE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/tessaline/tessaline)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "learn verses by heart by typing them from memory")
# The synopsis above is the first line; CPack indents these lines and turns an empty one into
# Debian's " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tessaline shows a verse with every letter hidden. Type it from memory
and each correct key uncovers the next letter, or in word mode the rest of
the word; Hint uncovers one letter when you are stuck. Six favourite verses,
a verse card and a verse editor complete it.

tessaline-verses adds verses from the Bibles installed for the SWORD library
and from text, TSV or CSV files or Access databases; a verses.mdb kept in
Access is converted on the first start.

Each user's verses and favourites live in ~/.local/share/tessaline.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SQLite is a Qt plugin, and libmdb is loaded when an Access file is read: both by name at run
# time, where dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libmdb3")
# The sample verses and the README's examples use the World English Bible; the fonts are the
# ones the windows are laid out for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sword-text-web, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
