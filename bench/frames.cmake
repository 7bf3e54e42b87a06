# Whole frame messages through DriverProc; `frame_bench_smoke` runs it briefly with the tests.
find_package(benchmark REQUIRED)
add_executable(frame_bench frame_bench.cpp)
target_include_directories(frame_bench PRIVATE ${LIBYUV_INCLUDE_DIR})
target_link_libraries(frame_bench PRIVATE qlnu_core qlnu_picture_layouts benchmark::benchmark
  ${LIBYUV_LIBRARY})
add_test(NAME frame_bench_smoke COMMAND frame_bench --smoke)
set_tests_properties(frame_bench_smoke PROPERTIES LABELS bench)
