# Windows build (mingw-w64): the program, its library and the tests that run
# under Wine.
include(cmake/shipped.cmake)

# The plain logic reports through the diagnostics, so on Windows they live in
# the same archive and whatever links the logic gets them; so does the rest of
# the ground floor's system half (the plan of a window's move).
target_sources(tavrisol_logic PRIVATE ${GROUND_WIN32})
target_link_libraries(tavrisol_logic PUBLIC user32 kernel32)
target_compile_options(tavrisol_logic PRIVATE ${PROGRAM_COMPILE_OPTIONS})
# The ground floor for the library, with its unwind tables.
add_library(library_logic STATIC ${GROUND_LOGIC} ${GROUND_WIN32})
target_include_directories(library_logic PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(library_logic PUBLIC user32 kernel32)
target_compile_options(library_logic PRIVATE ${SHIPPED_COMPILE_OPTIONS})

# Everything of the program except its entry, so tests can link the real code.
set(ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/entry_win32.cpp)
add_library(tavrisol_win32 STATIC ${placement_WIN32} ${editor_WIN32} ${templatewin_WIN32})
target_compile_options(tavrisol_win32 PRIVATE ${PROGRAM_COMPILE_OPTIONS})
target_link_libraries(tavrisol_win32 PUBLIC tavrisol_logic
  user32 gdi32 kernel32 advapi32 comdlg32 shell32 ole32 uuid)

# The version, from the project's, goes into the version resource and the
# manifest (and the zip's name, see dist below).
# The manifest ships without its comments and indentation, which only its
# readers need.
file(READ ${CMAKE_SOURCE_DIR}/resources/tavrisol.manifest.in MANIFEST_TEXT)
string(REGEX REPLACE "<!--[^>]*-->" "" MANIFEST_TEXT "${MANIFEST_TEXT}")
string(REGEX REPLACE "[ \t]*\n[ \t\n]*" " " MANIFEST_TEXT "${MANIFEST_TEXT}")
string(REPLACE "> <" "><" MANIFEST_TEXT "${MANIFEST_TEXT}")
string(CONFIGURE "${MANIFEST_TEXT}" MANIFEST_TEXT @ONLY)
file(CONFIGURE OUTPUT ${GENERATED_DIR}/tavrisol.manifest CONTENT "${MANIFEST_TEXT}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/resources/tavrisol.manifest.in)
set(PROGRAM_RESOURCES ${CMAKE_SOURCE_DIR}/resources/tavrisol.rc)
# windres reports no include dependencies: rebuild the resources when any of
# the files tavrisol.rc pulls in changes.
file(GLOB RESOURCE_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc
     ${CMAKE_SOURCE_DIR}/resources/*.h ${CMAKE_SOURCE_DIR}/resources/*.ico)
list(APPEND RESOURCE_INPUTS ${GENERATED_DIR}/version.h ${GENERATED_DIR}/tavrisol.manifest)
set_source_files_properties(${PROGRAM_RESOURCES} PROPERTIES OBJECT_DEPENDS "${RESOURCE_INPUTS}"
  INCLUDE_DIRECTORIES "${GENERATED_DIR};${CMAKE_SOURCE_DIR}/resources")

# comdlg32, shell32 and ole32 serve only the editor (and the shell's road of a
# run): the program itself loads them on first use (late_imports_win32.cpp),
# so a placement run never loads them. The tests link them as usual.
add_executable(tavrisol WIN32 ${ENTRY_SOURCE} ${CMAKE_SOURCE_DIR}/late_imports_win32.cpp
  ${PROGRAM_RESOURCES})
target_compile_options(tavrisol PRIVATE ${PROGRAM_COMPILE_OPTIONS})
target_link_libraries(tavrisol PRIVATE tavrisol_win32)
target_link_options(tavrisol PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles -Wl,-e,ProgramStart)
ship_stripped(tavrisol UNLINKED)

# The library exports what base/library.h declares (TAVRISOL_LIBRARY); its
# .def only shares the picker's section among processes.
if(helper_WIN32)
  add_library(tavrisolhelper SHARED ${helper_WIN32} ${CMAKE_SOURCE_DIR}/helper/tavrisolhelper.def)
  set_target_properties(tavrisolhelper PROPERTIES PREFIX "" OUTPUT_NAME tavrisolhelper)
  target_compile_options(tavrisolhelper PRIVATE ${SHIPPED_COMPILE_OPTIONS})
  target_compile_definitions(tavrisolhelper PRIVATE TAVRISOL_LIBRARY)
  target_link_libraries(tavrisolhelper PRIVATE library_logic user32 kernel32)
  target_link_options(tavrisolhelper PRIVATE ${SHIPPED_LINK_OPTIONS} -nostartfiles
    -Wl,-e,LibraryEntry)
  ship_stripped(tavrisolhelper UNLINKED)
endif()

# The 32-bit half (windows32.cmake), built with the 32-bit compilers in a
# folder of its own and copied beside the program.
include(ExternalProject)
set(X86_FILES tavrisolhelper32.dll tavrisolhook32.exe target32.exe target32console.exe
  slowstart32.dll)
set(X86_OUTPUTS)
foreach(file ${X86_FILES})
  list(APPEND X86_OUTPUTS ${CMAKE_BINARY_DIR}/${file})
endforeach()
ExternalProject_Add(x86
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/x86
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
             -DCMAKE_BUILD_TYPE=MinSizeRel -DTAVRISOL_X86=ON
  BUILD_ALWAYS ON
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different ${X86_FILES} ${CMAKE_BINARY_DIR}
  BUILD_BYPRODUCTS ${X86_OUTPUTS})

# Tests under Wine: every tests/wine/test_*.cpp is a GoogleTest program of its
# own; harness/ is shared; every fixtures/*.cpp is a target program of its own.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not held to our warning level.
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -Wno-error)
  endif()
endforeach()

enable_testing()
file(GLOB HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/harness/*.cpp)
add_library(wine_harness STATIC ${HARNESS_SOURCES} ${CMAKE_SOURCE_DIR}/tests/wine/harness.h)
set_target_properties(wine_harness PROPERTIES LINKER_LANGUAGE CXX)
target_include_directories(wine_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/wine ${CMAKE_SOURCE_DIR})
target_link_libraries(wine_harness PUBLIC GTest::gtest user32 gdi32 kernel32 advapi32 shell32 ole32 uuid psapi
  version)

file(GLOB FIXTURE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/*.cpp)
set(FIXTURE_TARGETS)
foreach(src ${FIXTURE_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} WIN32 ${src})
  target_link_libraries(${name} PRIVATE user32 gdi32 kernel32 shell32)
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
  list(APPEND FIXTURE_TARGETS ${name})
endforeach()

include(cmake/console_fixture.cmake)
add_console_fixture(targetconsole slowstart)
list(APPEND FIXTURE_TARGETS slowstart targetconsole)

# A stand-in library without the arming procedure, for the editor's road when
# the library's procedures are missing.
add_library(nohookhelper SHARED ${CMAKE_SOURCE_DIR}/tests/wine/helperstub/nohook_win32.cpp)
set_target_properties(nohookhelper PROPERTIES PREFIX "")
target_include_directories(nohookhelper PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(nohookhelper PRIVATE TAVRISOL_LIBRARY)
target_link_libraries(nohookhelper PRIVATE user32)
target_link_options(nohookhelper PRIVATE ${STATIC_RUNTIME})
list(APPEND FIXTURE_TARGETS nohookhelper)

# The Wine suite's test programs run at once, each in a lane (a display and a
# Wine prefix) that ctest hands out from tests/wine/lanes.json. The programs
# that take longest are listed here, as program=shards: they start first, split
# into that many shards. The placement tests are a program for each road: the
# hand-over's waits out a tray program's start, the failures' the program's own
# limits, side by side within the program.
set(WINE_TEST_SHARDS wine_test_placement_handover=1 wine_test_placement_failures=1
  wine_test_placement_started=1)
file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/test_*.cpp)
foreach(src ${WINE_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  set(target wine_${name})
  add_executable(${target} ${src} ${PROGRAM_RESOURCES})
  target_link_libraries(${target} PRIVATE wine_harness tavrisol_win32 GTest::gtest_main)
  target_link_options(${target} PRIVATE ${STATIC_RUNTIME})
  add_dependencies(${target} tavrisol ${FIXTURE_TARGETS} x86)
  if(TARGET tavrisolhelper)
    add_dependencies(${target} tavrisolhelper)
  endif()
  target_compile_definitions(${target} PRIVATE TAVRISOL_PROJECT_VERSION="${PROJECT_VERSION}")
  if(name STREQUAL "test_desk")
    # On a desk of two monitors of its own, inside the lane's display.
    set(run bash ${CMAKE_SOURCE_DIR}/scripts/desk.sh)
  else()
    set(run ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
  endif()
  # A long program runs as several shards (GoogleTest's own split), each a test
  # of its own that takes a lane of its own.
  set(shards 1)
  set(cost 1)
  foreach(entry ${WINE_TEST_SHARDS})
    if(entry MATCHES "^${target}=([0-9]+)$")
      set(shards ${CMAKE_MATCH_1})
      set(cost 2)
    endif()
  endforeach()
  foreach(shard RANGE 1 ${shards})
    set(test ${target})
    set(environment "TAVRISOL_BUILD_DIR=${CMAKE_BINARY_DIR}")
    if(shards GREATER 1)
      set(test ${target}.${shard})
      math(EXPR index "${shard} - 1")
      list(APPEND environment GTEST_TOTAL_SHARDS=${shards} GTEST_SHARD_INDEX=${index})
    endif()
    add_test(NAME ${test} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/lane.sh ${run} $<TARGET_FILE:${target}>
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${test} PROPERTIES TIMEOUT 600 RESOURCE_GROUPS lanes:1
      COST ${cost} ENVIRONMENT "${environment}")
  endforeach()
endforeach()

# The program and its library must import nothing but DLLs that ship with
# Windows; checked on the host with objdump.
add_test(NAME imports_are_system_dlls
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:tavrisol>
          $<$<TARGET_EXISTS:tavrisolhelper>:$<TARGET_FILE:tavrisolhelper>>
          ${CMAKE_BINARY_DIR}/tavrisolhelper32.dll ${CMAKE_BINARY_DIR}/tavrisolhook32.exe)


# The release zip: dist/tavrisol-VERSION-win-x64.zip and dist/SHA256SUMS.
add_custom_target(dist
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/dist.sh ${PROJECT_VERSION} $<TARGET_FILE:tavrisol>
          $<TARGET_FILE:tavrisolhelper> ${CMAKE_BINARY_DIR}/tavrisolhelper32.dll
          ${CMAKE_BINARY_DIR}/tavrisolhook32.exe ${CMAKE_SOURCE_DIR}/README.md
          ${CMAKE_SOURCE_DIR}/dist
  DEPENDS tavrisol tavrisolhelper x86
  VERBATIM)

# Size budgets of the shipped files, as built (already stripped).
set(PROGRAM_SIZE_BUDGET 65536)
set(LIBRARY_SIZE_BUDGET 16384)
add_test(NAME shipped_files_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-sizes.sh
          $<TARGET_FILE:tavrisol> ${PROGRAM_SIZE_BUDGET}
          $<TARGET_FILE:tavrisolhelper> ${LIBRARY_SIZE_BUDGET}
          ${CMAKE_BINARY_DIR}/tavrisolhelper32.dll ${LIBRARY_SIZE_BUDGET}
          ${CMAKE_BINARY_DIR}/tavrisolhook32.exe ${LIBRARY_SIZE_BUDGET})

# Console tools for the scripts (tools/) and the benchmarks' programs (bench/): one
# executable per file.
file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
foreach(src ${TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  # The tools look at processes and windows the way the tests do (without GoogleTest).
  add_executable(${name} ${src} ${CMAKE_SOURCE_DIR}/tests/wine/harness/winquery.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/wine)
  target_link_libraries(${name} PRIVATE user32 gdi32 kernel32)
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
endforeach()

# Benchmark programs for bench/run.sh: a do-nothing program to compare start-up costs with, and
# the window-scan timer, which links the program's own code.
add_executable(bench_noop WIN32 ${CMAKE_SOURCE_DIR}/bench/noop.cpp)
target_link_libraries(bench_noop PRIVATE user32 kernel32)
target_link_options(bench_noop PRIVATE -nostdlib -nostartfiles -Wl,-e,NoopStart)
add_executable(bench_dlls ${CMAKE_SOURCE_DIR}/bench/dlls.cpp)
target_link_libraries(bench_dlls PRIVATE wine_harness)
target_link_options(bench_dlls PRIVATE ${STATIC_RUNTIME})
# The placement of started programs, timed from outside.
add_executable(bench_early ${CMAKE_SOURCE_DIR}/bench/early.cpp)
target_link_libraries(bench_early PRIVATE wine_harness)
target_link_options(bench_early PRIVATE ${STATIC_RUNTIME})
add_executable(bench_scan ${CMAKE_SOURCE_DIR}/bench/scan.cpp)
target_link_libraries(bench_scan PRIVATE tavrisol_win32)
target_link_options(bench_scan PRIVATE ${STATIC_RUNTIME})
# The lookup's timer (it links the program's own lookup) and the idle processes it starts.
add_executable(bench_lookup ${CMAKE_SOURCE_DIR}/bench/lookup.cpp)
target_link_libraries(bench_lookup PRIVATE tavrisol_win32)
target_link_options(bench_lookup PRIVATE ${STATIC_RUNTIME})
add_executable(bench_idle WIN32 ${CMAKE_SOURCE_DIR}/bench/idle.cpp)
target_link_libraries(bench_idle PRIVATE kernel32)
target_link_options(bench_idle PRIVATE -nostdlib -nostartfiles -Wl,-e,IdleStart)
