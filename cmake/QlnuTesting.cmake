# GoogleTest for every build: the system package natively, and the Debian source tree
# compiled with the cross compiler and its flags for the other builds (so unit tests can run
# under Wine or qemu-i386).
if(CMAKE_CROSSCOMPILING)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
  set(QLNU_GTEST_LIBS gtest gmock)
else()
  find_package(GTest REQUIRED)
  set(QLNU_GTEST_LIBS GTest::gtest GTest::gmock)
endif()
# Every test program's main, in place of GoogleTest's: the rules that every test follows.
add_library(qlnu_test_main STATIC EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
target_link_libraries(qlnu_test_main PUBLIC qlnu_core ${QLNU_GTEST_LIBS})
list(PREPEND QLNU_GTEST_LIBS qlnu_test_main)
include(GoogleTest)

# Each processor model qemu-i386 emulates for the 32-bit tests, with the class it reports: every
# 32-bit variant family runs on a processor of exactly its class. `max` is everything qemu-i386
# executes, AVX2 included (since 7.2), on an AMD processor with SSE2: the AVX2 family's model.
set(QLNU_EMULATED_PROCESSORS
  pentium2=3 pentium3=15 coreduo=31
  athlon,-sse,-sse2,-mmxext=1 athlon,-sse,-sse2=135 athlon,-sse2=143 athlon=159 max=159)
# qemu-i386 7.2 executes SFENCE only on models that report SSE, although AMD's MMX extensions
# include it: on the class 135 model the variants that end with it cannot run (the class 143
# and 159 models run them). The sessions there still pass, because the driver's guards catch
# the fault after the last byte is stored; they check the class 135 binding, not the fence.
set(QLNU_EMULATOR_EXCLUDES_135 --gtest_filter=-*_AMD:*StreamingDescending:*Class135)

# One CTest test per program and processor model, named PROGRAM@MODEL (a test per case would
# start the emulator for each); the program runs on a model only what that model can execute.
function(qlnu_add_emulated_tests name labels)
  find_program(QLNU_QEMU_I386 qemu-i386 REQUIRED)
  foreach(processor IN LISTS QLNU_EMULATED_PROCESSORS)
    string(REGEX MATCH "^(.+)=([0-9]+)$" processor "${processor}")
    add_test(NAME ${name}@${CMAKE_MATCH_1}
      COMMAND ${QLNU_QEMU_I386} -cpu ${CMAKE_MATCH_1} $<TARGET_FILE:${name}>
              ${QLNU_EMULATOR_EXCLUDES_${CMAKE_MATCH_2}})
    set_tests_properties(${name}@${CMAKE_MATCH_1} PROPERTIES LABELS "${labels}"
      ENVIRONMENT QLNU_EXPECTED_CPU_CLASS=${CMAKE_MATCH_2})
  endforeach()
endfunction()

# qlnu_add_gtest(NAME SOURCES... [LABELS l...] [LIBS l...])
# A GoogleTest executable linked with the driver core; each test case becomes a CTest test.
function(qlnu_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qlnu_core ${ARG_LIBS} ${QLNU_GTEST_LIBS})
  if(TARGET qlnu_code_module)
    target_link_libraries(${name} PRIVATE qlnu_code_module)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(QLNU_EMULATED_I386)
    qlnu_add_emulated_tests(${name} "${ARG_LABELS}")
  elseif(WIN32)
    # Under Wine each program start costs a second, so a program is one CTest test.
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

# Windows test programs run under Wine in a prefix that belongs to this build folder: the 64-bit
# build's under wine64 in a 64-bit prefix, the 32-bit build's under wine in a 32-bit prefix, as
# on the 32-bit Windows that the 32-bit driver was made for. QLNU_WIN_BITS names them.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QLNU_WIN_BITS 32)
    set(other_bits 64)
  else()
    set(QLNU_WIN_BITS 64)
    set(other_bits 32)
  endif()
  set(QLNU_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${QLNU_WINE_PREFIX})
  # The package holds both DLLs, so the installer test needs the other build's too; each is
  # stripped by the binary tools of its own target.
  set(QLNU_OTHER_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build/win${other_bits}
      CACHE PATH "The other Windows preset's build folder (its bin/qlnu.dll goes into the package)")
  find_program(QLNU_OBJCOPY32 i686-w64-mingw32-objcopy REQUIRED)
  find_program(QLNU_OBJCOPY64 x86_64-w64-mingw32-objcopy REQUIRED)
endif()
