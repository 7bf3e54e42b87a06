# Puts qlnu.inf, qlnu32.dll and qlnu64.dll into one folder, the way qlnu.inf expects them. The
# DLLs are stripped; their debug information goes to SYMBOLS, qlnu32.dll.debug and
# qlnu64.dll.debug, which each stripped DLL names (a debugger finds the file beside the DLL).
#   cmake -DINF=qlnu.inf -DDLL32=... -DDLL64=... -DOBJCOPY32=... -DOBJCOPY64=... -DFOLDER=...
#         -DSYMBOLS=... -P make_package.cmake
foreach(bits 32 64)
  if(NOT EXISTS "${DLL${bits}}")
    message(FATAL_ERROR "no ${bits}-bit DLL at ${DLL${bits}}: build it first (cmake --preset "
                        "win${bits} && cmake --build --preset win${bits} --target qlnu)")
  endif()
endforeach()
file(REMOVE_RECURSE "${FOLDER}" "${SYMBOLS}")
file(MAKE_DIRECTORY "${FOLDER}" "${SYMBOLS}")
file(COPY_FILE "${INF}" "${FOLDER}/qlnu.inf")
foreach(bits 32 64)
  set(debug "${SYMBOLS}/qlnu${bits}.dll.debug")
  execute_process(COMMAND "${OBJCOPY${bits}}" --only-keep-debug "${DLL${bits}}" "${debug}"
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${OBJCOPY${bits}}" --strip-all "--add-gnu-debuglink=${debug}"
                          "${DLL${bits}}" "${FOLDER}/qlnu${bits}.dll"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
message(STATUS "Windows package: ${FOLDER} (debug information: ${SYMBOLS})")
