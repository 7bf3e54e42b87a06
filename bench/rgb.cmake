# The RGB encoders and decoder beside memcpy, libyuv and libswscale.
qlnu_add_benchmark(rgb_bench rgb_bench.cpp)
