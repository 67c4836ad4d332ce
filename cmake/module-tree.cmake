# Quillet.dll is built in a tree of its own under this one (module/), with the toolchain of
# cmake/mingw-w64-x86_64-module.cmake (the win32 thread model), from the same sources and
# with the same build type; the DLL is copied into this tree's bin/, where the tests, kephost
# and the package take it from. The target Quillet stands for that build here: targets that
# need the module depend on it. The rest of this tree keeps the posix thread model.
include(ExternalProject)
set(QUILLET_MODULE_FILE ${CMAKE_BINARY_DIR}/bin/Quillet.dll)
ExternalProject_Add(Quillet
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/module
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64-module.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DQUILLET_MODULE_ONLY=ON
    # The module tree's own build decides what is out of date.
    BUILD_ALWAYS ON
    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/bin/Quillet.dll
                    ${QUILLET_MODULE_FILE}
    BUILD_BYPRODUCTS ${QUILLET_MODULE_FILE})
