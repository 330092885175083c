# Places a starter file (the sample verses.mdb, the starter favs.ini) at DESTINATION only when
# nothing is there yet: an existing file holds the user's own data and must survive every
# reinstall and upgrade. Run from an install rule (SOURCE and DESTINATION set, then included) or
# as cmake -DSOURCE=<built file> -DDESTINATION=<program dir>/<name> -P install-sample.cmake.
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
    message(FATAL_ERROR "install-sample.cmake needs -DSOURCE=... and -DDESTINATION=...")
endif()
if(NOT EXISTS "${SOURCE}")
    message(FATAL_ERROR "${SOURCE} has not been built")
endif()

# A dangling link still counts as taken: replacing it would write wherever it points.
if(EXISTS "${DESTINATION}" OR IS_SYMLINK "${DESTINATION}")
    message(STATUS "Keeping: ${DESTINATION}")
    return()
endif()

get_filename_component(dir "${DESTINATION}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")

# Copy under a temporary name, then move into place without replacing, so neither an
# interrupted copy nor a file that appeared meanwhile leaves a broken or lost file.
set(partial "${DESTINATION}.partial")
file(REMOVE "${partial}")
file(COPY_FILE "${SOURCE}" "${partial}")
file(RENAME "${partial}" "${DESTINATION}" RESULT renamed NO_REPLACE)
if(NOT renamed EQUAL 0)
    file(REMOVE "${partial}")
    if(NOT EXISTS "${DESTINATION}")
        message(FATAL_ERROR "Cannot place ${SOURCE} at ${DESTINATION}: ${renamed}")
    endif()
    return()
endif()
# CMake may move without replacing by hard-linking, which leaves the old name behind.
file(REMOVE "${partial}")
# Listed only when this install placed it: a file kept from before is never uninstalled.
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${DESTINATION}")
message(STATUS "Installing: ${DESTINATION}")
