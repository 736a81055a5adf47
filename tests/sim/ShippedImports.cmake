# The program as it ships: it imports the maker's two libraries by name, only
# names their export lists hold, and nothing of the simulated machine. Every
# other library its import table names is one of Windows' Known DLLs, which
# the system loads from its own folder only, but not the common dialogs'; the
# Windows libraries it uses that are not Known DLLs, and the common dialogs,
# are in its delay-import table, loaded after its entry has limited the search
# to the system folder.
#   cmake -DOBJDUMP=<objdump> -DEXE=<Kestrova.exe> -DDEFS=<folder of VntNvmed.def and VntAtad.def>
#         -P ShippedImports.cmake
# The delay-import table is read by DelayImports.py beside this file.
cmake_minimum_required(VERSION 3.21)
find_program(PYTHON NAMES python3 REQUIRED)

# Windows' Known DLLs: the values of the registry key
# HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs on 64-bit
# Windows 10 and 11, which Microsoft's "Dynamic-link library search order"
# names as the list of Known DLLs (it publishes no list of its own). The
# system takes these from the system folder whatever lies beside a program.
set(known_dlls
  advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll gdiplus.dll imagehlp.dll
  imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll
  sechost.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll wldap32.dll wow64.dll wow64cpu.dll
  wow64win.dll wowarmhw.dll ws2_32.dll xtajit.dll)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${EXE}")
endif()

# The libraries of the import table, each from its "DLL Name:" line, which
# objdump prints whether the library's functions are imported by name or by
# ordinal only; and the functions imported by name as "<dll>:<name>" entries.
string(REPLACE "\n" ";" lines "${dump}")
set(dll "")
set(imported_dlls "")
set(imports "")
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    list(APPEND imported_dlls "${dll}")
  elseif(line MATCHES "^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_@]*)" AND dll)
    list(APPEND imports "${dll}:${CMAKE_MATCH_1}")
  elseif(line STREQUAL "")
    set(dll "")
  endif()
endforeach()

if(imports MATCHES "kestrovasim.dll:")
  message(FATAL_ERROR "${EXE} imports the simulated machine")
endif()
foreach(library VntNvmed VntAtad)
  string(TOLOWER "${library}.dll" dll)
  file(STRINGS "${DEFS}/${library}.def" exports REGEX "^[ \t]+[A-Za-z_]")
  list(TRANSFORM exports STRIP)
  set(used 0)
  foreach(entry IN LISTS imports)
    if(entry MATCHES "^${dll}:(.+)$")
      set(name "${CMAKE_MATCH_1}")
      math(EXPR used "${used} + 1")
      if(NOT name IN_LIST exports)
        message(FATAL_ERROR "${EXE} imports ${name} from ${library}.dll, which ${library}.def does not export")
      endif()
    endif()
  endforeach()
  if(used EQUAL 0)
    message(FATAL_ERROR "${EXE} does not import ${library}.dll by name")
  endif()
  message(STATUS "${library}.dll: ${used} names imported, all in ${library}.def")
endforeach()

# Everything else in the import table would be looked for beside the program
# first, before the program runs a line.
list(REMOVE_DUPLICATES imported_dlls)
foreach(dll IN LISTS imported_dlls)
  if(NOT dll IN_LIST known_dlls AND NOT dll STREQUAL "vntnvmed.dll" AND NOT dll STREQUAL "vntatad.dll")
    message(FATAL_ERROR "${EXE} imports ${dll}, which is neither one of the maker's libraries nor a Known DLL: "
                        "the system would look for it in the program's folder first (delay-load it)")
  endif()
endforeach()
# The common dialogs' library is a Known DLL, but it imports the common
# controls: from the import table it would attach them before the entry, and
# they load the visual-styles library by name, the program's folder first. The
# toolchain links it into every windowed program, so a function missing from
# cmake/delayload/comdlg32.def lands here.
if("comdlg32.dll" IN_LIST imported_dlls)
  message(FATAL_ERROR "${EXE} imports comdlg32.dll: it would attach the common controls before the entry "
                      "limits the search (add the function to cmake/delayload/comdlg32.def)")
endif()
string(REPLACE ";" " " shown "${imported_dlls}")
message(STATUS "import table: ${shown}")

execute_process(COMMAND "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/DelayImports.py" "${EXE}"
                OUTPUT_VARIABLE delayed RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The delay-import table of ${EXE} cannot be read: ${error}")
endif()
string(REPLACE "\n" ";" delayed "${delayed}")
set(delayed_dlls "")
foreach(line IN LISTS delayed)
  if(line MATCHES "^([^:]+): (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    if(dll IN_LIST imported_dlls)
      message(FATAL_ERROR "${EXE} imports ${dll} both by its import table and delay-loaded")
    endif()
    list(APPEND delayed_dlls "${dll}")
    message(STATUS "delay-loaded: ${line}")
  endif()
endforeach()
# The program calls the version, common-control (and, with the real platform
# calls, Configuration Manager) functions: with none found, the table was not read.
if(NOT delayed_dlls)
  message(FATAL_ERROR "No delay-import table found in ${EXE}")
endif()
