# The 32-bit half, which the win build makes in a folder of its own (see
# windows.cmake): the library's twin for 32-bit programs, the host
# that sets its hook for the 64-bit run, and the test fixture as a 32-bit
# program.
include(cmake/shipped.cmake)
# x86 walks stacks by frame pointers, and its exceptions need no tables.
set(LIBRARY32_COMPILE_OPTIONS ${SHIPPED_COMPILE_OPTIONS} ${NO_UNWIND_OPTIONS} -fno-omit-frame-pointer)
# The library and the host stand on the ground floor alone; the rest of the
# logic is the 64-bit program's.
set_target_properties(tavrisol_logic PROPERTIES EXCLUDE_FROM_ALL ON)
add_library(library_logic STATIC ${GROUND_LOGIC} ${GROUND_WIN32})
target_include_directories(library_logic PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(library_logic PUBLIC user32 kernel32)
target_compile_options(library_logic PRIVATE ${LIBRARY32_COMPILE_OPTIONS})

# The same exports by the same plain names: --kill-at drops the argument
# bytes a 32-bit procedure's own name carries.
add_library(tavrisolhelper32 SHARED ${helper_WIN32} ${CMAKE_SOURCE_DIR}/helper/tavrisolhelper.def)
set_target_properties(tavrisolhelper32 PROPERTIES PREFIX "")
target_compile_options(tavrisolhelper32 PRIVATE ${LIBRARY32_COMPILE_OPTIONS})
target_compile_definitions(tavrisolhelper32 PRIVATE TAVRISOL_LIBRARY)
target_link_libraries(tavrisolhelper32 PRIVATE library_logic user32 kernel32)
target_link_options(tavrisolhelper32 PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles
  -Wl,-e,_LibraryEntry@12 -Wl,--kill-at)
ship_stripped(tavrisolhelper32 UNLINKED)

add_executable(tavrisolhook32 WIN32 ${CMAKE_SOURCE_DIR}/hookhost/hookhost_win32.cpp)
target_compile_options(tavrisolhook32 PRIVATE ${LIBRARY32_COMPILE_OPTIONS})
target_link_libraries(tavrisolhook32 PRIVATE library_logic user32 kernel32)
target_link_options(tavrisolhook32 PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles
  -Wl,-e,_HookHostStart)
ship_stripped(tavrisolhook32)

add_executable(target32 WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/target.cpp)
target_link_libraries(target32 PRIVATE user32 gdi32 kernel32 shell32)
target_link_options(target32 PRIVATE ${STATIC_RUNTIME})

include(cmake/console_fixture.cmake)
add_console_fixture(target32console slowstart32)
