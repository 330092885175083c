# The rule every project source keeps: a project header is named from its folder down
# ("windowbase/forms.h"). The compiler looks beside the including file first, and takes an
# absolute path as it stands, so an include without its folder, one that climbs with "..", or
# an absolute one would reach past the layers' include roots.
#
# Used by the layers and programs at configure time, and as a script by the layers/* tests:
#   cmake -DSOURCE=file -P TessalineIncludeRule.cmake
include_guard(GLOBAL)

# tessaline_check_includes(FILE SHOWN): stops with an error naming SHOWN when FILE breaks the rule.
function(tessaline_check_includes file shown)
    file(STRINGS ${file} bypasses
         REGEX "^[ \t]*#[ \t]*include[ \t]*(\"(\\.|/|[^/\"]*\"|[^\"]*/\\.\\./)|<[ \t]*/)")
    if(bypasses)
        message(FATAL_ERROR "${shown}: name a project header from its folder down, "
                            "as \"windowbase/forms.h\": ${bypasses}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    tessaline_check_includes(${SOURCE} ${SOURCE})
endif()
