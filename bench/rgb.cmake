# The RGB conversion benchmark; `rgb_bench_smoke` runs it briefly with the tests.
find_package(benchmark REQUIRED)
add_executable(rgb_bench rgb_bench.cpp)
target_link_libraries(rgb_bench PRIVATE qlnu_core benchmark::benchmark yuv swscale avutil)
add_test(NAME rgb_bench_smoke COMMAND rgb_bench --smoke)
set_tests_properties(rgb_bench_smoke PROPERTIES LABELS bench)
