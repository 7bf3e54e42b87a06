# The resource script's generated inputs: the dialog banners, drawn at build time by a script kept
# beside it, and the build stamp of the version block.
set(QLNU_BUILD_STAMP "1 August 2003" CACHE STRING "Build stamp of the DLL's version block")
find_program(QLNU_PYTHON3 python3 REQUIRED)

set(generated ${CMAKE_CURRENT_BINARY_DIR}/resources)
file(CONFIGURE OUTPUT ${generated}/build_stamp.h
  CONTENT "#define QLNU_BUILD_STAMP \"@QLNU_BUILD_STAMP@\"\n" @ONLY)
set(banner_script ${CMAKE_CURRENT_SOURCE_DIR}/settings/make_banner.py)
add_custom_command(OUTPUT ${generated}/configure_banner.bmp ${generated}/about_banner.bmp
  COMMAND ${QLNU_PYTHON3} ${banner_script} ${generated}/configure_banner.bmp "CODEC" "SETTINGS"
  COMMAND ${QLNU_PYTHON3} ${banner_script} ${generated}/about_banner.bmp "UNCOMPRESSED" "YUV 4:2:2"
  DEPENDS ${banner_script}
  COMMENT "Drawing the dialog banners")
set_source_files_properties(settings/resources.rc PROPERTIES
  INCLUDE_DIRECTORIES "${CMAKE_CURRENT_SOURCE_DIR};${generated}"
  OBJECT_DEPENDS "${generated}/configure_banner.bmp;${generated}/about_banner.bmp")
