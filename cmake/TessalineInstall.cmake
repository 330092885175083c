# Install layout: the program directory PREFIX/lib/tessaline holds the executables, the sample
# verses.mdb and favs.ini and the file `installed`, which tells the programs to keep each user's
# own files in ~/.local/share/tessaline (copied from the samples on the first start); PREFIX/bin
# holds symbolic links to start them by name.
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
             SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")")
    add_dependencies(tessaline_installable ${target})
endfunction()

# Installs a file into the program directory only when none is there: an install that kept the
# user's own files there (before they moved to the user's home) must not lose them, so neither a
# reinstall nor an upgrade replaces it.
function(tessaline_install_starter_file source name)
    install(CODE "
        set(SOURCE \"${source}\")
        set(DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TESSALINE_PROGRAM_DIR}/${name}\")
        include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../resources/install-sample.cmake\")")
endfunction()

# Configures a template at install time (@TESSALINE_EXEC@ becomes the installed program's link,
# which depends on the prefix) and lists the result in install_manifest.txt like any other file.
function(tessaline_install_configured template destination)
    install(CODE "
        set(TESSALINE_EXEC \"\${CMAKE_INSTALL_PREFIX}/bin/tessaline\")
        set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
        configure_file(\"${template}\" \"\${file}\" @ONLY)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${file}\")
        message(STATUS \"Installing: \${file}\")")
endfunction()
