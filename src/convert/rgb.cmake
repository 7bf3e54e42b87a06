# The RGB encoders and decoder: references, coefficient tables, dispatchers, and one file per
# instruction-set family (see qlnu_kernel_family in CMakeLists.txt).
target_sources(qlnu_core PRIVATE
  decode_rgb24_field_c.cpp
  encode_rgb_field_c.cpp
  rgb_to_yuv_coefficients.cpp
  rgb_to_yuv_tables.cpp
  yuv_to_rgb_coefficients.cpp
  yuv_to_rgb_tables.cpp)
qlnu_kernel_family(MMX encode_rgb_field_mmx.cpp decode_rgb24_field_mmx.cpp)
qlnu_kernel_family(SSE encode_rgb_field_sse.cpp decode_rgb24_field_sse.cpp)
qlnu_kernel_family(SSE2 encode_rgb_field_sse2.cpp decode_rgb24_field_sse2.cpp)
qlnu_kernel_family(AMD encode_rgb_field_amd.cpp decode_rgb24_field_amd.cpp)
qlnu_kernel_family(AVX2 encode_rgb_field_avx2.cpp decode_rgb24_field_avx2.cpp)
# On 32-bit x86 the AMD files are compiled for AMD's extended-MMX processors themselves
# (MMX, the MMX extensions, non-temporal prefetch; no SSE): with SSE enabled the compiler
# moves MMX values through SSE registers, which those processors lack. They reach the
# extensions through rgb_mmx_extensions.h.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set_source_files_properties(encode_rgb_field_amd.cpp decode_rgb24_field_amd.cpp
    TARGET_DIRECTORY qlnu_core PROPERTIES COMPILE_OPTIONS "-march=athlon;-fno-tree-vectorize")
endif()
