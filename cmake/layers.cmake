# The core is built in layers, one library per layer and platform side, and each library
# sees the headers of the libraries it links and no others: the repository root is on no
# layer's include path. quillet_headers(<target> <header>...) links the target's own headers
# one by one into an include root of its own in the build tree, under their folder name
# ("rules/RuleTable.h"), and publishes that root. An include of a layer the target does not
# link, or of a header of the other platform side, then fails to compile.
function(quillet_headers target)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    # Built afresh, so that a header taken off the list is no longer visible.
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS ARGN)
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header}
             SYMBOLIC)
    endforeach()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    elseif(type MATCHES "LIBRARY$" AND NOT type STREQUAL "SHARED_LIBRARY")
        target_include_directories(${target} PUBLIC ${root})
    else()
        target_include_directories(${target} PRIVATE ${root})
    endif()
endfunction()

# The same rule read from the sources, for headers that no library of their own compiles
# and for includes that bypass the include path (a path relative to the including file).
add_test(NAME layer_includes
         COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                 -P ${PROJECT_SOURCE_DIR}/cmake/check-layers.cmake)
