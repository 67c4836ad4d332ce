# Windows-side settings shared by the folders: the host library's import library and the
# Wine wrappers with a prefix private to this build tree.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)

# The wrappers and the scripts they call are copied into the tree and find each other and
# the prefix (wineprefix/) from where they stand, so a build tree can be moved.
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in.sh ${CMAKE_BINARY_DIR}/wine-run.sh COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-prefix.in.sh ${CMAKE_BINARY_DIR}/wine-prefix.sh
               COPYONLY)
foreach(script wine-env.sh wine-prefix.sh wine-test.reg)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/${script} ${CMAKE_BINARY_DIR}/wine/${script} COPYONLY)
endforeach()
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})

# Import library for KepLib.dll, made from the names alone.
set(KEPLIB_IMPORT ${CMAKE_BINARY_DIR}/libKepLib.a)
add_custom_command(
    OUTPUT ${KEPLIB_IMPORT}
    COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/host/KepLib.def -l ${KEPLIB_IMPORT}
    DEPENDS ${CMAKE_SOURCE_DIR}/host/KepLib.def)
add_custom_target(keplib_import DEPENDS ${KEPLIB_IMPORT})
add_library(keplib INTERFACE)
add_dependencies(keplib keplib_import)
target_link_libraries(keplib INTERFACE ${KEPLIB_IMPORT})

# The test code of this tree (GoogleTest, the stand-in and test hosts, the end-to-end tests)
# is compiled at -O1, which the last -O on the command line makes win over the build type's;
# Quillet.dll and quillet-rules.exe keep the build type's.
set(QUILLET_WINDOWS_TEST_OPTIONS -O1)

# GoogleTest for the end-to-end tests, built once from Debian's sources with this toolchain,
# in this tree only (the module's tree has no tests).
if(NOT QUILLET_MODULE_ONLY)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(library gtest gtest_main gmock gmock_main)
        target_compile_options(${library} PRIVATE ${QUILLET_WINDOWS_TEST_OPTIONS})
    endforeach()
endif()
