// FastCopy and FastCopyField in every variant and through their slots, on one UYVY field:
// FastCopy as one block, FastCopyField row by row into the rows of a frame (12 bytes in).
#include <cstring>

#include "bench_support.h"
#include "codec/fast_copy.h"
#include "codec/fast_copy_variants.h"

namespace {

void RegisterCopy(const std::string& label, CopyFunction copy) {
    RegisterFieldBenchmark(
        label, 2, 2,
        [copy](BYTE* destination, const BYTE* source, const FieldSize& size) {
            copy(destination, source, static_cast<DWORD>(size.UyvyBytes()));
            return true;
        },
        [](BYTE* destination, const BYTE* source, const FieldSize& size) {
            std::memcpy(destination, source, size.UyvyBytes());
            return true;
        });
}

// All rows but the last, each to the row of a frame's field.
template <typename Copy>
FieldWork FieldCopy(Copy copy) {
    return [copy](BYTE* destination, const BYTE* source, const FieldSize& size) {
        copy(destination + 12, source, size.width, size.rows - 1, 2 * size.width, 2 * size.width);
        return true;
    };
}

void RegisterFieldCopy(const std::string& label, FieldKernel copy) {
    RegisterFieldBenchmark(label, 2, 2, FieldCopy(copy),
                           FieldCopy([](BYTE* destination, const BYTE* source, int width, int rows,
                                        int destinationStride, int sourceStride) {
                               for (int row = 0; row < rows; ++row) {
                                   std::memcpy(destination + row * destinationStride,
                                               source + row * sourceStride, 2 * width);
                               }
                           }));
}

const bool kRegistered = [] {
    RegisterCopy("FastCopy", FastCopy);
    RegisterCopy("FastCopy_Plain", FastCopy_Plain);
    RegisterCopy("FastCopy_MMX", FastCopy_MMX);
    RegisterCopy("FastCopy_Streaming", FastCopy_Streaming);
    RegisterCopy("FastCopy_StreamingSparse", FastCopy_StreamingSparse);
    RegisterCopy("FastCopy_StreamingDescending", FastCopy_StreamingDescending);
    RegisterFieldCopy("FastCopyField", FastCopyField);
    RegisterFieldCopy("FastCopyField_Plain", FastCopyField_Plain);
    RegisterFieldCopy("FastCopyField_MMX", FastCopyField_MMX);
    RegisterFieldCopy("FastCopyField_Streaming", FastCopyField_Streaming);
    RegisterFieldCopy("FastCopyField_StreamingSparse", FastCopyField_StreamingSparse);
    RegisterFieldCopy("FastCopyField_StreamingDescending", FastCopyField_StreamingDescending);
    return true;
}();

}  // namespace
