// The seven packed-YUV operations with their dispatchers, slots and kernels, for tests that
// go over all of them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "convert/dispatch_slots.h"
#include "convert/repack_kernels.h"
#include "convert/yuv_repacker.h"

using RepackerOperation = void (YuvRepacker::*)(BYTE*, const BYTE*, int, int, int, int);

struct RepackOperation {
    const char* name;
    RepackerOperation dispatcher;
    FieldKernelSlot* slot;
    FieldKernel reference;
    FieldKernelRow kernels;
    int sourceBytesPerPixel;  // 2, or 3 for "Y16A"
};

inline void PrintTo(const RepackOperation& operation, std::ostream* out) {
    *out << operation.name;
}

inline const std::vector<RepackOperation>& RepackOperations() {
    static const std::vector<RepackOperation> operations = {
        {"PackYuy2Field",
         &YuvRepacker::PackYuy2Field,
         &gPackYuy2FieldSlot,
         PackYuy2Field_C,
         {PackYuy2Field_MMX, PackYuy2Field_SSE, PackYuy2Field_SSE2, PackYuy2Field_AMD},
         2},
        {"PackYvyuField",
         &YuvRepacker::PackYvyuField,
         &gPackYvyuFieldSlot,
         PackYvyuField_C,
         {PackYvyuField_MMX, PackYvyuField_SSE, PackYvyuField_SSE2, PackYvyuField_AMD},
         2},
        {"PackY16Field",
         &YuvRepacker::PackY16Field,
         &gPackY16FieldSlot,
         PackY16Field_C,
         {PackY16Field_MMX, PackY16Field_SSE, PackY16Field_SSE2, PackY16Field_AMD},
         2},
        {"PackY16AField",
         &YuvRepacker::PackY16AField,
         &gPackY16AFieldSlot,
         PackY16AField_C,
         {PackY16AField_MMX, PackY16AField_SSE, PackY16AField_SSE2, PackY16AField_AMD},
         3},
        {"UnpackYuy2Field",
         &YuvRepacker::UnpackYuy2Field,
         &gUnpackYuy2FieldSlot,
         PackYuy2Field_C,
         {PackYuy2Field_MMX, PackYuy2Field_SSE, PackYuy2Field_SSE2, PackYuy2Field_AMD},
         2},
        {"UnpackYvyuField",
         &YuvRepacker::UnpackYvyuField,
         &gUnpackYvyuFieldSlot,
         UnpackYvyuField_C,
         {UnpackYvyuField_MMX, UnpackYvyuField_SSE, UnpackYvyuField_SSE2, UnpackYvyuField_AMD},
         2},
        {"UnpackY16Field",
         &YuvRepacker::UnpackY16Field,
         &gUnpackY16FieldSlot,
         UnpackY16Field_C,
         {UnpackY16Field_MMX, UnpackY16Field_SSE, UnpackY16Field_SSE2, UnpackY16Field_AMD},
         2},
    };
    return operations;
}

inline void ResetRepackSlots() {
    for (const RepackOperation& operation : RepackOperations()) {
        operation.slot->ResetForTesting();
    }
}

// The kernel variants by name, for naming parameterised cases.
struct KernelVariant {
    const char* name;
    FieldKernel FieldKernelRow::*member;
};

inline const std::vector<KernelVariant>& KernelVariants() {
    static const std::vector<KernelVariant> variants = {{"MMX", &FieldKernelRow::mmx},
                                                        {"SSE", &FieldKernelRow::sse},
                                                        {"SSE2", &FieldKernelRow::sse2},
                                                        {"AMD", &FieldKernelRow::amd}};
    return variants;
}
