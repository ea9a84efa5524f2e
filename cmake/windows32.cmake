# The 32-bit half, which the win build makes in a folder of its own (see
# windows.cmake): the companion library's twin for 32-bit programs, the host
# that sets its hook for the 64-bit run, and the test fixture as a 32-bit
# program.
include(cmake/shipped.cmake)
target_sources(tavrisol_logic PRIVATE ${CMAKE_SOURCE_DIR}/diag/diag_win32.cpp
  ${CMAKE_SOURCE_DIR}/diag/codepage_win32.cpp
  ${CMAKE_SOURCE_DIR}/placement/moveplan_win32.cpp)
target_link_libraries(tavrisol_logic PUBLIC user32 kernel32)
# x86 walks stacks by frame pointers, and its exceptions need no tables.
set(LIBRARY32_COMPILE_OPTIONS ${SHIPPED_COMPILE_OPTIONS} ${NO_UNWIND_OPTIONS} -fno-omit-frame-pointer)
target_compile_options(tavrisol_logic PRIVATE ${LIBRARY32_COMPILE_OPTIONS})

# The same exports; a 32-bit procedure's own name carries its argument bytes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/helper/tavrisolhelper.def)
file(READ ${CMAKE_SOURCE_DIR}/helper/tavrisolhelper.def exports)
string(REPLACE "tavrisolhelper.dll" "tavrisolhelper32.dll" exports "${exports}")
string(REGEX REPLACE "(@[0-9]+)\" = ([A-Za-z]+)" "\\1\" = \\2\\1" exports "${exports}")
file(WRITE ${CMAKE_BINARY_DIR}/tavrisolhelper32.def "${exports}")

file(GLOB HELPER_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/helper/*_win32.cpp)
add_library(tavrisolhelper32 SHARED ${HELPER_WIN32_SOURCES} ${CMAKE_BINARY_DIR}/tavrisolhelper32.def)
set_target_properties(tavrisolhelper32 PROPERTIES PREFIX "")
target_compile_options(tavrisolhelper32 PRIVATE ${LIBRARY32_COMPILE_OPTIONS})
target_link_libraries(tavrisolhelper32 PRIVATE tavrisol_logic user32 kernel32)
target_link_options(tavrisolhelper32 PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles
  -Wl,-e,_LibraryEntry@12)
ship_stripped(tavrisolhelper32)

add_executable(tavrisolhook32 WIN32 ${CMAKE_SOURCE_DIR}/hookhost/hookhost_win32.cpp
  ${CMAKE_SOURCE_DIR}/placement/companion_win32.cpp)
target_compile_options(tavrisolhook32 PRIVATE ${LIBRARY32_COMPILE_OPTIONS})
target_link_libraries(tavrisolhook32 PRIVATE tavrisol_logic user32 kernel32)
target_link_options(tavrisolhook32 PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles
  -Wl,-e,_HookHostStart)
ship_stripped(tavrisolhook32)

add_executable(target32 WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/target.cpp)
target_link_libraries(target32 PRIVATE user32 gdi32 kernel32 shell32)
target_link_options(target32 PRIVATE ${STATIC_RUNTIME})

include(cmake/console_fixture.cmake)
add_console_fixture(target32console slowstart32)
