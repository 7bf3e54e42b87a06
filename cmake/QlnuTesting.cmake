# GoogleTest for every build: the system package natively, and the Debian source tree
# compiled with the cross compiler for the Windows builds (so unit tests can run under wine64).
if(WIN32)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
  set(QLNU_GTEST_LIBS gtest gtest_main gmock)
else()
  find_package(GTest REQUIRED)
  set(QLNU_GTEST_LIBS GTest::gtest GTest::gtest_main GTest::gmock)
endif()
include(GoogleTest)

# qlnu_add_gtest(NAME SOURCES... [LABELS l...] [LIBS l...])
# A GoogleTest executable linked with the driver core; each test case becomes a CTest test.
function(qlnu_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qlnu_core ${ARG_LIBS} ${QLNU_GTEST_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(WIN32)
    # Under wine64 each program start costs a second, so a program is one CTest test.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" FIXTURES_REQUIRED wine_prefix)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_LIST ${name}_TESTS)
    # Discovery's PROPERTIES cannot carry a list, so the labels are set by a script that
    # CTest reads after the discovered tests.
    set(label_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${label_script}
      "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_script})
  endif()
endfunction()

# Windows test programs run under wine64 in a prefix that belongs to this build folder.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QLNU_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${QLNU_WINE_PREFIX})
endif()
