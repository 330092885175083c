# Install layout: the program directory PREFIX/lib/tessaline holds the executables together with
# verses.mdb and favs.ini (the programs find their files beside themselves), and PREFIX/bin holds
# symbolic links to start them by name. A prefix the user owns (~/.local) keeps those files
# writable.
include_guard(GLOBAL)

set(TESSALINE_PROGRAM_DIR lib/tessaline)

# Everything the install rules need built; `cmake --build --target tessaline_installable` builds
# just that (not the tests) before `cmake --install`.
if(NOT TARGET tessaline_installable)
    add_custom_target(tessaline_installable)
endif()

# Installs an executable target into the program directory, with a relative link to it in
# PREFIX/bin that the program resolves back to its real directory.
function(tessaline_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${TESSALINE_PROGRAM_DIR})
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/$<TARGET_FILE_NAME:${target}>\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        message(STATUS \"Linking: \${link}\")
        file(CREATE_LINK \"../${TESSALINE_PROGRAM_DIR}/$<TARGET_FILE_NAME:${target}>\" \"\${link}\"
             SYMBOLIC)")
    add_dependencies(tessaline_installable ${target})
endfunction()

# Installs a file into the program directory only when none is there: it holds the user's own
# data from then on, so neither a reinstall nor an upgrade replaces it.
function(tessaline_install_starter_file source name)
    install(CODE "
        set(SOURCE \"${source}\")
        set(DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TESSALINE_PROGRAM_DIR}/${name}\")
        include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../resources/install-sample.cmake\")")
endfunction()
