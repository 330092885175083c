# The program is built in layers, each a static library. A layer's headers are reachable only
# through its own include root: a folder in the build tree holding links to exactly those
# headers, under their folder path ("windowbase/forms.h"). A target sees the roots of the targets it
# links and nothing else (the source tree itself is never an include directory), so an include
# that goes the wrong way does not compile.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/TessalineIncludeRule.cmake)

set(TESSALINE_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)

# tessaline_layer(TARGET SOURCE...): a static library of the given sources, named relative to the
# project's source folder, whose headers form its include root.
function(tessaline_layer target)
    set(root ${TESSALINE_LAYER_ROOTS}/${target})
    # Made afresh, so a header that moved to another layer is not left reachable here.
    file(REMOVE_RECURSE ${root})
    set(sources)
    set(headers)
    foreach(source ${ARGN})
        list(APPEND sources ${PROJECT_SOURCE_DIR}/${source})
        if(source MATCHES "\\.(cpp|h)$")
            tessaline_check_includes(${PROJECT_SOURCE_DIR}/${source} ${source})
        endif()
        if(source MATCHES "\\.h$")
            string(APPEND headers "#include \"${source}\"\n")
            cmake_path(GET source PARENT_PATH folder)
            file(MAKE_DIRECTORY ${root}/${folder})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${source} ${root}/${source} SYMBOLIC)
        endif()
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${root})
    # Every header is compiled once more, seeing only what the layer hands on to those who
    # include it and not what it links privately: so a window names another window in its .cpp
    # files only, never in a header.
    if(headers)
        file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/layercheck/${target}_headers.cpp
             CONTENT "${headers}")
        add_library(${target}_headers OBJECT ${PROJECT_BINARY_DIR}/layercheck/${target}_headers.cpp)
        tessaline_compile_as(${target}_headers ${target} HEADER)
    endif()
endfunction()

# tessaline_compile_as(CHECK TARGET SOURCE|HEADER): CHECK, an object library, is compiled as
# TARGET's own sources are (SOURCE: with the roots of its private links) or as its headers are
# (HEADER: with only what it hands on).
function(tessaline_compile_as check target where)
    set_target_properties(${check} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${check} PRIVATE ${target})
    if(where STREQUAL "SOURCE")
        target_include_directories(${check}
                                   PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
    endif()
endfunction()

# tessaline_executable(TARGET SOURCE...): a program of the given sources (relative to the
# project's source folder), which keep the include rule like the layers' own.
function(tessaline_executable target)
    set(sources)
    foreach(source ${ARGN})
        tessaline_check_includes(${PROJECT_SOURCE_DIR}/${source} ${source})
        list(APPEND sources ${PROJECT_SOURCE_DIR}/${source})
    endforeach()
    add_executable(${target} ${sources})
endfunction()

# tessaline_layer_sources(VARIABLE FOLDER...): every source and header in the folders, relative
# to the project's source folder.
function(tessaline_layer_sources variable)
    set(patterns)
    foreach(folder ${ARGN})
        list(APPEND patterns ${PROJECT_SOURCE_DIR}/${folder}/*.cpp
             ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    endforeach()
    file(GLOB found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${patterns})
    set(${variable} ${found} PARENT_SCOPE)
endfunction()

# tessaline_check_include(TARGET HEADER REFUSED|ALLOWED [IN_HEADER]): a test that code in
# TARGET's layer can (ALLOWED) or cannot (REFUSED) include HEADER. It compiles a file holding
# just that include as TARGET's own sources are compiled, or with IN_HEADER as its headers are;
# the file is not part of the normal build.
function(tessaline_check_include target header verdict)
    set(where SOURCE)
    set(in)
    if(ARGN STREQUAL "IN_HEADER")
        set(where HEADER)
        set(in "-in-header")
    endif()
    string(MAKE_C_IDENTIFIER "${target}${in}_${header}" name)
    set(check layercheck_${name})
    file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/layercheck/${name}.cpp
         CONTENT "#include \"${header}\"\n")
    add_library(${check} OBJECT EXCLUDE_FROM_ALL ${PROJECT_BINARY_DIR}/layercheck/${name}.cpp)
    tessaline_compile_as(${check} ${target} ${where})
    string(TOLOWER ${verdict} verb)
    set(test layers/${target}-${verb}${in}-${header})
    add_test(NAME ${test} COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target ${check})
    # Builds in the build tree one at a time.
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK build_tree TIMEOUT 120)
    if(verdict STREQUAL "REFUSED")
        # Only a missing header counts: any other failure would prove nothing.
        string(REPLACE "." "\\." pattern "${header}: No such file or directory")
        set_tests_properties(${test} PROPERTIES PASS_REGULAR_EXPRESSION "${pattern}")
    endif()
endfunction()

# tessaline_check_source(NAME SOURCE ADDED REFUSED|ALLOWED): a test that the include rule refuses
# (or lets pass) the project source SOURCE with the line ADDED at its end, checked as the build
# checks every source it compiles.
function(tessaline_check_source name source added verdict)
    file(READ ${PROJECT_SOURCE_DIR}/${source} content)
    cmake_path(GET source FILENAME file)
    file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/layercheck/${name}/${file}
         CONTENT "${content}${added}\n")
    set(test layers/${name})
    add_test(NAME ${test}
             COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_BINARY_DIR}/layercheck/${name}/${file}
                     -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TessalineIncludeRule.cmake)
    if(verdict STREQUAL "REFUSED")
        # The message as CMake wraps it.
        set_tests_properties(${test} PROPERTIES PASS_REGULAR_EXPRESSION
                             "name a[ \n]+project[ \n]+header[ \n]+from[ \n]+its[ \n]+folder")
    endif()
endfunction()
