# Cross-compiling the 32-bit half (the library's twin, its hook host
# and a 32-bit build of the test fixture) with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
