# The shipped Windows programs (Quillet.dll, quillet-rules.exe) and the installer's own steps
# (QuilletSetup.dll) are built in a tree of their own under this one (module/), with the
# toolchain of cmake/mingw-w64-x86_64-module.cmake (the win32 thread model), from the same
# sources and with the same build type, so that the package compiles their libraries once.
# They are copied into this tree's bin/, where the tests, kephost and the package take them
# from. The target Quillet stands for that build here: targets that need the module or the
# workbench depend on it. The rest of this tree keeps the posix thread model.
include(ExternalProject)
# The programs of release/shipped-programs.txt (each built in that tree under its name without
# .dll or .exe), and QuilletSetup.dll.
file(STRINGS ${PROJECT_SOURCE_DIR}/release/shipped-programs.txt QUILLET_SHIPPED_FILES
     REGEX "^[^#]*[^# \t]")
list(APPEND QUILLET_SHIPPED_FILES QuilletSetup.dll)
set(copies "")
set(byproducts "")
foreach(file IN LISTS QUILLET_SHIPPED_FILES)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/bin/${file}
                               ${CMAKE_BINARY_DIR}/bin/${file})
    list(APPEND byproducts ${CMAKE_BINARY_DIR}/bin/${file})
endforeach()
ExternalProject_Add(Quillet
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/module
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64-module.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DQUILLET_MODULE_ONLY=ON
    # The module tree's own build decides what is out of date.
    BUILD_ALWAYS ON
    INSTALL_COMMAND ${copies}
    BUILD_BYPRODUCTS ${byproducts})
