# Puts qlnu.inf, qlnu64.dll and qlnu32.dll into one folder, the way qlnu.inf expects them.
#   cmake -DINF=qlnu.inf -DDLL64=... -DDLL32=... -DFOLDER=... -P make_package.cmake
if(NOT EXISTS "${DLL32}")
  message(FATAL_ERROR "no 32-bit DLL at ${DLL32}: build it first (cmake --preset win32 && "
                      "cmake --build --preset win32 --target qlnu)")
endif()
file(MAKE_DIRECTORY "${FOLDER}")
file(COPY_FILE "${INF}" "${FOLDER}/qlnu.inf")
file(COPY_FILE "${DLL64}" "${FOLDER}/qlnu64.dll")
file(COPY_FILE "${DLL32}" "${FOLDER}/qlnu32.dll")
message(STATUS "Windows package: ${FOLDER}")
