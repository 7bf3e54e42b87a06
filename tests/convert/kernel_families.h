// What the kernel tests share: the field conversions with their slots and references, what each
// processor class binds, what the real processor runs, tables filled as a class fills them, and
// the x87/MMX register check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "codec/fast_copy_variants.h"
#include "convert/dispatch_slots.h"
#include "convert/kernel_selection.h"
#include "convert/repack_kernels.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_coefficients.h"
#include "convert/yuv_to_rgb_tables.h"
#include "support/fake_cpu.h"
#include "support/real_processor.h"

// A conversion operation; its variants are the row of its slot, so that the tests compare
// the very kernels the slot binds.
struct FieldOperation {
    const char* name;
    FieldKernelSlot* slot;
    FieldKernel reference;     // what the SSE, SSE2 and AMD variants write
    FieldKernel mmxReference;  // what the MMX variant writes, in its narrower arithmetic
    int sourceBytesPerPixel;
    int destinationBytesPerPixel;
    // Bound of mmxReference off reference: luma (odd) bytes 0 to n above, others within n.
    std::optional<int> mmxReferenceLevels = std::nullopt;
};

inline const FieldOperation kFieldOperations[] = {
    {"PackYuy2Field", &gPackYuy2FieldSlot, PackYuy2Field_C, PackYuy2Field_C, 2, 2},
    {"PackYvyuField", &gPackYvyuFieldSlot, PackYvyuField_C, PackYvyuField_C, 2, 2},
    {"PackY16Field", &gPackY16FieldSlot, PackY16Field_C, PackY16Field_C, 2, 2},
    {"PackY16AField", &gPackY16AFieldSlot, PackY16AField_C, PackY16AField_C, 3, 2},
    {"UnpackYuy2Field", &gUnpackYuy2FieldSlot, PackYuy2Field_C, PackYuy2Field_C, 2, 2},
    {"UnpackYvyuField", &gUnpackYvyuFieldSlot, UnpackYvyuField_C, UnpackYvyuField_C, 2, 2},
    {"UnpackY16Field", &gUnpackY16FieldSlot, UnpackY16Field_C, UnpackY16Field_C, 2, 2},
    {"EncodeRgb24Field", &gEncodeRgb24FieldSlot, EncodeRgb24Field_C, EncodeRgb24Field_NarrowC, 3, 2,
     1},
    {"EncodeRgb32Field", &gEncodeRgb32FieldSlot, EncodeRgb32Field_C, EncodeRgb32Field_NarrowC, 4, 2,
     1},
    {"DecodeRgb24Field", &gDecodeRgb24FieldSlot, DecodeRgb24Field_ExtendedC,
     DecodeRgb24Field_BasicC, 2, 3},
};

struct ClassBinding {
    CpuClass cpuClass;
    FieldKernel FieldKernelRow::*conversion;  // null: the class converts nothing
    TableLayout layout;
    CopyFunction copy;
    FieldKernel fieldCopy;
    // Set: the processor also reports AVX2, and the operating system saves these states.
    std::optional<std::uint64_t> avx2Xcr0 = std::nullopt;
};

// Every class the classification gives, and what each binding point holds for it; AVX2, where
// the processor and the operating system both support it, replaces SSE2 alone.
inline const ClassBinding kClassBindings[] = {
    {0, nullptr, TableLayout::None, FastCopy_Plain, FastCopyField_Plain},
    {1, &FieldKernelRow::mmx, TableLayout::Narrow, FastCopy_MMX, FastCopyField_MMX},
    {2, nullptr, TableLayout::None, FastCopy_Plain, FastCopyField_Plain},
    {3, &FieldKernelRow::mmx, TableLayout::Narrow, FastCopy_MMX, FastCopyField_MMX},
    {15, &FieldKernelRow::sse, TableLayout::Extended, FastCopy_Streaming, FastCopyField_Streaming},
    {31, &FieldKernelRow::sse2, TableLayout::Wide16, FastCopy_StreamingSparse,
     FastCopyField_StreamingSparse},
    {135, &FieldKernelRow::amd, TableLayout::Extended, FastCopy_StreamingDescending,
     FastCopyField_StreamingDescending},
    {143, &FieldKernelRow::amd, TableLayout::Extended, FastCopy_StreamingDescending,
     FastCopyField_StreamingDescending},
    {159, &FieldKernelRow::sse2, TableLayout::Wide16, FastCopy_StreamingDescending,
     FastCopyField_StreamingDescending},
    {31, &FieldKernelRow::avx2, TableLayout::Wide16, FastCopy_StreamingSparse,
     FastCopyField_StreamingSparse, kSseAndAvxStates},
    {159, &FieldKernelRow::avx2, TableLayout::Wide16, FastCopy_StreamingDescending,
     FastCopyField_StreamingDescending, kSseAndAvxStates},
    {31, &FieldKernelRow::sse2, TableLayout::Wide16, FastCopy_StreamingSparse,
     FastCopyField_StreamingSparse, 0x2},
    {3, &FieldKernelRow::mmx, TableLayout::Narrow, FastCopy_MMX, FastCopyField_MMX,
     kSseAndAvxStates},
};

// Why the real processor cannot run the variants that `cpuClass` binds, with AVX2 kernels where
// `avx2` is set; empty when it can.
inline std::string WhyCannotRun(CpuClass cpuClass, bool avx2 = false) {
    const std::string why = WhyProcessorCannotRun(cpuClass);
    return why.empty() && avx2 ? WhyProcessorCannotRunAvx2() : why;
}

// Empties both coefficient tables and fills them again as a machine of `cpuClass` does
// (nothing may read them meanwhile).
inline void FillTablesAs(CpuClass cpuClass) {
    gRgbToYuvTable.ResetForTesting();
    gYuvToRgbTable.ResetForTesting();
    ScopedFakeProcessor fake(cpuClass);
    const RgbToYuvTables encoderTables;
    const YuvToRgbTables decoderTables;
}

// The x87 tag word: 0xFFFF once EMMS has freed the registers, other values while MMX code
// left them in use (and floating-point code after it would compute garbage).
inline unsigned X87TagWord() {
    struct {
        std::uint16_t words[14];
    } environment;
    asm volatile("fnstenv %0\n\tfldenv %0" : "=m"(environment));
    return environment.words[4];
}
