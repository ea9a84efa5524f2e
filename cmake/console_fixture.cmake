# The target fixture again as a console program, named program, that spends
# its first 3 s loading a library it imports, named library
# (fixtures/slowstart/, outside the fixtures' glob), before any code of its
# own runs. The 64- and the 32-bit build each make one.
function(add_console_fixture program library)
  add_library(${library} SHARED ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/slowstart/slowstart.cpp)
  set_target_properties(${library} PROPERTIES PREFIX "")
  target_link_options(${library} PRIVATE ${STATIC_RUNTIME})
  add_executable(${program} ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/target.cpp
    ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/slowstart/import.cpp)
  target_link_libraries(${program} PRIVATE ${library} user32 gdi32 kernel32 shell32)
  target_link_options(${program} PRIVATE ${STATIC_RUNTIME})
endfunction()
