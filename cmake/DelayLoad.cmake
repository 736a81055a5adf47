# Windows libraries that are not among Windows' Known DLLs are delay-loaded:
# the import table would have the system look for them in the program's own
# folder first, before the program can say otherwise. Delay-loaded, each is
# loaded on its first call, by name, after the program's entry has limited the
# search to the system folder (framework/AfxEntry.cpp). So is the common
# dialogs' library, a Known DLL: it imports the common controls, which would
# then attach, and load what they load by name, before the entry runs.
#
# kestrova_delay_import(NAME) makes the delay-import library of NAME.dll from
# cmake/delayload/NAME.def with the toolchain's dlltool and the library target
# NAME_delayed to link in place of NAME. The runtime's delay-load helper
# (__delayLoadHelper2) comes from mingw-w64's libmingwex, linked by default.
#
# The thunk this dlltool writes saves the integer argument registers only,
# not XMM0-XMM3, while the helper runs: a function taking floating-point
# arguments must not be delay-loaded this way.
if(NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "dlltool of the cross toolchain not found: the delay-import libraries cannot be made")
endif()

function(kestrova_delay_import name)
  set(def ${CMAKE_SOURCE_DIR}/cmake/delayload/${name}.def)
  set(library ${CMAKE_BINARY_DIR}/delayload/lib${name}_delayed.a)
  file(STRINGS ${def} dll REGEX "^LIBRARY ")
  string(REGEX REPLACE "^LIBRARY +" "" dll "${dll}")
  add_custom_command(
    OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${library}
    DEPENDS ${def}
    COMMENT "Delay-import library of ${dll}")
  add_custom_target(${name}_delayed_library DEPENDS ${library})
  add_library(${name}_delayed STATIC IMPORTED GLOBAL)
  set_target_properties(${name}_delayed PROPERTIES IMPORTED_LOCATION ${library})
  add_dependencies(${name}_delayed ${name}_delayed_library)
endfunction()

foreach(name comctl32 comdlg32 version cfgmgr32)
  kestrova_delay_import(${name})
endforeach()
