# What the 64- and the 32-bit Windows builds share.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# What ships (tavrisol.exe, tavrisolhelper.dll) is built small: no C++ runtime
# (no exceptions, RTTI, standard containers or strings; formatting comes from
# msvcrt, see diag/format.cpp), optimised for size as far as the compiler goes
# (-Oz: some 700 bytes less code than -Os), unused sections dropped at
# link time, and stripped after the link, with the debug information kept in
# a .debug file beside each. The test programs keep the full C++ library.
# Neither needs the C runtime's start-up code (no static constructors, no
# threads, no streams): each starts at an entry of its own.
# No time stamps and no build paths inside: the same sources give the same
# files, wherever they are built.
# Data stays in whole sections: with a section each, mingw's compiler puts
# zero-initialised variables in the file's data instead of its .bss.
set(SHIPPED_BASE_OPTIONS -Oz -g -fno-exceptions -fno-rtti -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
# A section for each function lets the link drop what a binary does not use,
# which the libraries and the hook host take little of. tavrisol.exe uses
# nearly all of its code, and there each function's section, aligned and
# padded to 16 bytes, cost some 1.5 kilobytes.
set(SHIPPED_COMPILE_OPTIONS ${SHIPPED_BASE_OPTIONS} -ffunction-sections)
# The library runs inside other programs: an exception or a stack
# walk there passes through its frames, so it keeps them walkable (unwind
# tables on x64, frame pointers on x86, where walks follow them).
# tavrisol.exe goes without: nothing in it throws, the tables took a twelfth
# of it, and a debugger still walks its stack from the .debug file.
set(NO_UNWIND_OPTIONS -fno-asynchronous-unwind-tables -fno-unwind-tables)
# The program's code reaches its own data directly (the small code model):
# the default one reads every variable of another file through a pointer of
# its own in .rdata, 16 bytes each with its padding, some 400 bytes in all.
# The image is far below 2 GB, and it imports no data the loader would have
# to patch (its list of such patches stays empty).
set(PROGRAM_COMPILE_OPTIONS ${SHIPPED_BASE_OPTIONS} ${NO_UNWIND_OPTIONS} -mcmodel=small)
set(SHIPPED_LINK_OPTIONS ${STATIC_RUNTIME} -Wl,--gc-sections -Wl,--no-insert-timestamp)
# ship_stripped(target [UNLINKED]): UNLINKED leaves out the section that names
# the .debug file (half a kilobyte of a budget with its padding: the program
# and both libraries go without); gdb then takes the file with symbol-file.
function(ship_stripped target)
  set(binutils ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0)
  set(link COMMAND ${binutils} ${CMAKE_OBJCOPY}
      --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>)
  if("${ARGN}" STREQUAL "UNLINKED")
    set(link)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${binutils} ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${binutils} ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:${target}>
    ${link}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
