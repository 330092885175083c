# The program is built in layers, each a static library. A layer's headers are reachable only
# through its own include root: a folder in the build tree holding links to exactly those
# headers, under their folder path ("app/forms.h"). A target sees the roots of the targets it
# links and nothing else (the source tree itself is never an include directory), so an include
# that goes the wrong way does not compile.
include_guard(GLOBAL)

set(TESSALINE_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)

# tessaline_layer(TARGET SOURCE...): a static library of the given sources, named relative to the
# project's source folder, whose headers form its include root.
function(tessaline_layer target)
    set(root ${TESSALINE_LAYER_ROOTS}/${target})
    # Made afresh, so a header that moved to another layer is not left reachable here.
    file(REMOVE_RECURSE ${root})
    set(sources)
    foreach(source ${ARGN})
        list(APPEND sources ${PROJECT_SOURCE_DIR}/${source})
        # The compiler looks beside the including file first; an include without its folder
        # or one that climbs out of it would reach past the include roots.
        if(source MATCHES "\\.(cpp|h)$")
            file(STRINGS ${PROJECT_SOURCE_DIR}/${source} bypasses
                 REGEX "^[ \t]*#[ \t]*include[ \t]*\"(\\.|[^/\"]*\")")
            if(bypasses)
                message(FATAL_ERROR "${source}: name a project header from its folder down, "
                                    "as \"app/forms.h\": ${bypasses}")
            endif()
        endif()
        if(source MATCHES "\\.h$")
            cmake_path(GET source PARENT_PATH folder)
            file(MAKE_DIRECTORY ${root}/${folder})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${source} ${root}/${source} SYMBOLIC)
        endif()
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# tessaline_layer_sources(VARIABLE FOLDER...): every source and header in the folders, relative
# to the project's source folder.
function(tessaline_layer_sources variable)
    set(patterns)
    foreach(folder ${ARGN})
        list(APPEND patterns ${folder}/*.cpp ${folder}/*.h)
    endforeach()
    file(GLOB found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${patterns})
    set(${variable} ${found} PARENT_SCOPE)
endfunction()

# tessaline_check_include(TARGET HEADER REFUSED|ALLOWED): a test that code in TARGET's layer can
# (ALLOWED) or cannot (REFUSED) include HEADER. It compiles a file holding just that include
# as TARGET's own sources are compiled; the file is not part of the normal build.
function(tessaline_check_include target header verdict)
    string(MAKE_C_IDENTIFIER "${target}_${header}" name)
    set(check layercheck_${name})
    file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/layercheck/${name}.cpp
         CONTENT "#include \"${header}\"\n")
    add_library(${check} OBJECT EXCLUDE_FROM_ALL ${PROJECT_BINARY_DIR}/layercheck/${name}.cpp)
    set_target_properties(${check} PROPERTIES AUTOMOC OFF)
    # Sees what the layer's own sources see, the roots of its private links included.
    target_link_libraries(${check} PRIVATE ${target})
    target_include_directories(${check} PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
    string(TOLOWER ${verdict} verb)
    add_test(NAME layers/${target}-${verb}-${header}
             COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target ${check})
    # Builds in the build tree one at a time.
    set_tests_properties(layers/${target}-${verb}-${header} PROPERTIES RESOURCE_LOCK build_tree
                                                                       TIMEOUT 120)
    if(verdict STREQUAL "REFUSED")
        # Only a missing header counts: any other failure would prove nothing.
        string(REPLACE "." "\\." pattern "${header}: No such file or directory")
        set_tests_properties(layers/${target}-${verb}-${header} PROPERTIES
                             PASS_REGULAR_EXPRESSION "${pattern}")
    endif()
endfunction()
