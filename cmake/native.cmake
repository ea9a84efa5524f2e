# Native Linux build: the plain logic and its GoogleTest suite.
if(TAVRISOL_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(tavrisol_logic PUBLIC ${SAN_FLAGS})
  target_link_options(tavrisol_logic PUBLIC ${SAN_FLAGS})
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/native/support/diag_capture.cpp)
target_include_directories(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
target_link_libraries(native_tests PRIVATE tavrisol_logic GTest::gtest_main GTest::gmock)
target_compile_definitions(native_tests PRIVATE TAVRISOL_PROJECT_VERSION="${PROJECT_VERSION}")
add_test(NAME native_tests COMMAND native_tests)
