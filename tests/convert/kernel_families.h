// What the kernel tests go over: every field conversion with its slot, reference and four
// processor variants; the one table of processor class to variant for every binding point;
// coefficient tables filled as a class fills them; and the check that a call left the x87/MMX
// registers free.
#pragma once

#include <cstdint>

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

struct FieldOperation {
    const char* name;
    FieldKernelSlot* slot;
    FieldKernelRow variants;
    FieldKernel reference;     // what the SSE, SSE2 and AMD variants write
    FieldKernel mmxReference;  // what the MMX variant writes, in its narrower arithmetic
    int sourceBytesPerPixel;
    int destinationBytesPerPixel;
};

inline const FieldOperation kFieldOperations[] = {
    {"PackYuy2Field",
     &gPackYuy2FieldSlot,
     {PackYuy2Field_MMX, PackYuy2Field_SSE, PackYuy2Field_SSE2, PackYuy2Field_AMD},
     PackYuy2Field_C,
     PackYuy2Field_C,
     2,
     2},
    {"PackYvyuField",
     &gPackYvyuFieldSlot,
     {PackYvyuField_MMX, PackYvyuField_SSE, PackYvyuField_SSE2, PackYvyuField_AMD},
     PackYvyuField_C,
     PackYvyuField_C,
     2,
     2},
    {"PackY16Field",
     &gPackY16FieldSlot,
     {PackY16Field_MMX, PackY16Field_SSE, PackY16Field_SSE2, PackY16Field_AMD},
     PackY16Field_C,
     PackY16Field_C,
     2,
     2},
    {"PackY16AField",
     &gPackY16AFieldSlot,
     {PackY16AField_MMX, PackY16AField_SSE, PackY16AField_SSE2, PackY16AField_AMD},
     PackY16AField_C,
     PackY16AField_C,
     3,
     2},
    // Swapping the bytes of each unit is its own inverse: the packer's kernels, its own slot.
    {"UnpackYuy2Field",
     &gUnpackYuy2FieldSlot,
     {PackYuy2Field_MMX, PackYuy2Field_SSE, PackYuy2Field_SSE2, PackYuy2Field_AMD},
     PackYuy2Field_C,
     PackYuy2Field_C,
     2,
     2},
    {"UnpackYvyuField",
     &gUnpackYvyuFieldSlot,
     {UnpackYvyuField_MMX, UnpackYvyuField_SSE, UnpackYvyuField_SSE2, UnpackYvyuField_AMD},
     UnpackYvyuField_C,
     UnpackYvyuField_C,
     2,
     2},
    {"UnpackY16Field",
     &gUnpackY16FieldSlot,
     {UnpackY16Field_MMX, UnpackY16Field_SSE, UnpackY16Field_SSE2, UnpackY16Field_AMD},
     UnpackY16Field_C,
     UnpackY16Field_C,
     2,
     2},
    {"EncodeRgb24Field",
     &gEncodeRgb24FieldSlot,
     {EncodeRgb24Field_MMX, EncodeRgb24Field_SSE, EncodeRgb24Field_SSE2, EncodeRgb24Field_AMD},
     EncodeRgb24Field_C,
     EncodeRgb24Field_NarrowC,
     3,
     2},
    {"EncodeRgb32Field",
     &gEncodeRgb32FieldSlot,
     {EncodeRgb32Field_MMX, EncodeRgb32Field_SSE, EncodeRgb32Field_SSE2, EncodeRgb32Field_AMD},
     EncodeRgb32Field_C,
     EncodeRgb32Field_NarrowC,
     4,
     2},
    {"DecodeRgb24Field",
     &gDecodeRgb24FieldSlot,
     {DecodeRgb24Field_MMX, DecodeRgb24Field_SSE, DecodeRgb24Field_SSE2, DecodeRgb24Field_AMD},
     DecodeRgb24Field_ExtendedC,
     DecodeRgb24Field_BasicC,
     2,
     3},
};

struct ClassBinding {
    CpuClass cpuClass;
    FieldKernel FieldKernelRow::*conversion;  // null: the class converts nothing
    TableLayout layout;
    CopyFunction copy;
};

// Every class the classification gives, and what each binding point holds for it.
inline const ClassBinding kClassBindings[] = {
    {0, nullptr, TableLayout::None, FastCopy_Plain},
    {1, &FieldKernelRow::mmx, TableLayout::Narrow, FastCopy_MMX},
    {2, nullptr, TableLayout::None, FastCopy_Plain},
    {3, &FieldKernelRow::mmx, TableLayout::Narrow, FastCopy_MMX},
    {15, &FieldKernelRow::sse, TableLayout::Extended, FastCopy_Streaming},
    {31, &FieldKernelRow::sse2, TableLayout::Wide16, FastCopy_StreamingSparse},
    {135, &FieldKernelRow::amd, TableLayout::Extended, FastCopy_StreamingDescending},
    {143, &FieldKernelRow::amd, TableLayout::Extended, FastCopy_StreamingDescending},
    {159, &FieldKernelRow::sse2, TableLayout::Wide16, FastCopy_StreamingDescending},
};

// The first class that binds `variant`: its tables are laid out as that variant reads them.
inline CpuClass ClassOf(FieldKernel FieldKernelRow::*variant) {
    for (const ClassBinding& binding : kClassBindings) {
        if (binding.conversion == variant) {
            return binding.cpuClass;
        }
    }
    return 0;
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
