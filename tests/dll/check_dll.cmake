cmake_minimum_required(VERSION 3.25)
# Fails unless the DLL exports exactly DriverProc and imports only DLLs that ship with Windows.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([^\n]*\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exports "${CMAKE_MATCH_1}")
list(TRANSFORM exports REPLACE "\\[ *[0-9]+\\] " "")
if(NOT exports STREQUAL "DriverProc")
  message(FATAL_ERROR "exports of ${DLL} are '${exports}', expected exactly DriverProc")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
set(system_dlls kernel32.dll user32.dll gdi32.dll advapi32.dll winmm.dll comdlg32.dll version.dll
  msvcrt.dll comctl32.dll shell32.dll ole32.dll ntdll.dll)
foreach(import IN LISTS imports)
  string(TOLOWER "${import}" lower)
  if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-crt-")
    message(FATAL_ERROR "${DLL} imports ${import}, which does not ship with Windows")
  endif()
endforeach()
# A DLL whose entry point is DllMain itself (no C runtime start-up code) runs no static
# constructor: the linker map must show none.
if(MAP)
  file(STRINGS ${MAP} constructors REGEX "^ \\.(ctors|init_array)[^ ]* +0x[0-9a-f]+ +0x0*[1-9a-f]")
  if(constructors)
    message(FATAL_ERROR "${DLL} has static constructors that nothing would run:\n${constructors}")
  endif()
endif()
message(STATUS "${DLL}: exports ${exports}; imports ${imports}")
