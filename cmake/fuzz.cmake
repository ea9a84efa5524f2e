# libFuzzer targets: one executable per fuzz/*.cpp, over the plain logic.
set(FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
target_compile_options(tavrisol_logic PUBLIC ${FUZZ_FLAGS})
target_link_options(tavrisol_logic PUBLIC -fsanitize=address,undefined)
# Fuzz targets have no reporter of their own; the native stand-in collects reports.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(src ${FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${CMAKE_SOURCE_DIR}/tests/native/support/diag_capture.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
  target_link_libraries(${name} PRIVATE tavrisol_logic)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
