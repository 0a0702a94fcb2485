# Delay-import libraries for the Windows system DLLs other than kernel32 and msvcrt, so that the
# launcher imports nothing else when it starts (src/platform/system_library.h says why). A
# delay-loaded DLL is loaded at the first call of one of its functions, by MinGW's delay-load
# helper, which asks the launcher's hook for it: the hook loads it from the system directory.
#
# Each cmake/delay_imports/NAME.def names a DLL and the functions the sources call, with the
# stdcall decoration of the 32-bit build (Function@BYTES); the 64-bit build has none, so it gets
# the names without it. A function missing there is linked from MinGW's ordinary import library
# instead and imported at start-up again; the test launcher.imports fails then.
#
# Sets WIZ_DELAY_IMPORT_LIBRARIES (the libraries), WIZ_DELAY_IMPORT_LINK_OPTIONS (what the
# programs that use them link with) and the target wizdelayimports that makes them.
set(WIZ_DELAY_IMPORT_LIBRARIES)
set(WIZ_DELAY_IMPORT_LINK_OPTIONS)
file(GLOB _wiz_delay_defs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay_imports/*.def)
set(_wiz_delay_dir ${CMAKE_BINARY_DIR}/delay_imports)
foreach(_wiz_def ${_wiz_delay_defs})
  get_filename_component(_wiz_name ${_wiz_def} NAME_WE)
  # A name of its own, so that its symbols differ from those of MinGW's lib${_wiz_name}.a.
  set(_wiz_lib ${_wiz_delay_dir}/lib${_wiz_name}_delayed.a)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_wiz_def})
    file(READ ${_wiz_def} _wiz_text)
    string(REGEX REPLACE "@[0-9]+" "" _wiz_text "${_wiz_text}")
    set(_wiz_input ${_wiz_delay_dir}/${_wiz_name}.def)
    file(CONFIGURE OUTPUT ${_wiz_input} CONTENT "${_wiz_text}" @ONLY)
    set(_wiz_kill_at)
  else()
    set(_wiz_input ${_wiz_def})
    # The exported names are undecorated; the decorated ones are what the callers link against.
    set(_wiz_kill_at --kill-at)
    # A 32-bit caller reaches a function through its pointer (__imp__Function@BYTES) alone, and
    # ld then drops the member's load stub (_Function@BYTES) that the pointer starts out at: the
    # first call jumps to address 0. Asking for every stub keeps them.
    file(STRINGS ${_wiz_def} _wiz_functions REGEX "^[A-Za-z_][A-Za-z0-9_]*@[0-9]+$")
    foreach(_wiz_function ${_wiz_functions})
      list(APPEND WIZ_DELAY_IMPORT_LINK_OPTIONS "LINKER:-u,_${_wiz_function}")
    endforeach()
  endif()
  add_custom_command(
    OUTPUT ${_wiz_lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_wiz_delay_dir}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${_wiz_input} --output-delaylib ${_wiz_lib} ${_wiz_kill_at}
    DEPENDS ${_wiz_def}
    COMMENT "Making the delay-import library of ${_wiz_name}"
    VERBATIM)
  list(APPEND WIZ_DELAY_IMPORT_LIBRARIES ${_wiz_lib})
endforeach()
add_custom_target(wizdelayimports DEPENDS ${WIZ_DELAY_IMPORT_LIBRARIES})
unset(_wiz_delay_defs)
unset(_wiz_delay_dir)
unset(_wiz_def)
unset(_wiz_name)
unset(_wiz_lib)
unset(_wiz_text)
unset(_wiz_input)
unset(_wiz_kill_at)
unset(_wiz_functions)
unset(_wiz_function)
