// FastCopy in every variant and through its slot, on one UYVY field.
#include "bench_support.h"
#include "codec/fast_copy.h"
#include "codec/fast_copy_variants.h"

namespace {

void RegisterCopy(const std::string& label, CopyFunction copy) {
    RegisterFieldBenchmark(label, 2, 2,
                           [copy](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               copy(destination, source, static_cast<DWORD>(size.UyvyBytes()));
                           });
}

const bool kRegistered = [] {
    RegisterCopy("FastCopy", FastCopy);
    RegisterCopy("FastCopy_Plain", FastCopy_Plain);
    RegisterCopy("FastCopy_MMX", FastCopy_MMX);
    RegisterCopy("FastCopy_Streaming", FastCopy_Streaming);
    RegisterCopy("FastCopy_StreamingSparse", FastCopy_StreamingSparse);
    RegisterCopy("FastCopy_StreamingDescending", FastCopy_StreamingDescending);
    return true;
}();

}  // namespace
