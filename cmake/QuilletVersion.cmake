# Everything that carries the release version takes it from project(Quillet VERSION ...) in
# the top-level CMakeLists.txt, through this file:
# - quillet_version: an interface library whose header QuilletVersion.h holds
#   kQuilletVersion, for programs that print --version;
# - VERSION in the build tree, which scripts/package.sh puts into the package's name and
#   INSTALL.txt;
# - quillet_version_resource(target "description"), which gives a Windows program or DLL its
#   VERSIONINFO resource and PE image version. On other platforms it does nothing, so any
#   target may call it.
set(QUILLET_PRODUCT_NAME "Quillet 구멍 지름 규칙")
set(QUILLET_COPYRIGHT "Copyright © 2026 Quillet 개발팀")

set(QUILLET_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/QuilletVersion.h.in
               ${QUILLET_GENERATED_DIR}/QuilletVersion.h @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/VERSION CONTENT "${PROJECT_VERSION}\n")
add_library(quillet_version INTERFACE)
target_include_directories(quillet_version INTERFACE ${QUILLET_GENERATED_DIR})

function(quillet_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set(QUILLET_FILE_TYPE VFT_DLL)
    elseif(type STREQUAL "EXECUTABLE")
        set(QUILLET_FILE_TYPE VFT_APP)
    else()
        message(FATAL_ERROR "quillet_version_resource: ${target} is neither a program nor a DLL")
    endif()
    set(QUILLET_FILE_DESCRIPTION "${description}")
    # @...@ now; the file names ($<TARGET_FILE_NAME:...>) when the build files are written.
    file(READ ${PROJECT_SOURCE_DIR}/cmake/version.rc.in text)
    string(CONFIGURE "${text}" text @ONLY)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
    file(GENERATE OUTPUT ${rc} CONTENT "${text}")
    target_sources(${target} PRIVATE ${rc})
    # CMake's link rule passes the image version of the VERSION property (0.0 when unset),
    # and VERSION would also rename programs to kephost.exe-1.0; flags among the link
    # libraries come after the rule's and so win.
    target_link_libraries(${target} PRIVATE
        "-Wl,--major-image-version,${PROJECT_VERSION_MAJOR},--minor-image-version,${PROJECT_VERSION_MINOR}")
endfunction()
