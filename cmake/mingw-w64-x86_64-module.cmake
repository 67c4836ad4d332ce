# The toolchain of Quillet.dll's own tree (cmake/module-tree.cmake): MinGW-w64 with the win32
# thread model. The posix model would link winpthreads into the module, which takes a
# thread-local-storage index and a few handles at each load of the module and never gives
# them back; the module itself starts no thread and uses no std::thread or std::mutex.
set(QUILLET_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
