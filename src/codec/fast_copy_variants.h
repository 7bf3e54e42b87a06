// The variants of FastCopy and FastCopyField and their self-replacing copy slots (see
// convert/kernel_selection.h). All variants copy ascending and leave exactly the same bytes;
// they differ in how they pre-read and store. A FastCopyField variant copies each row as the
// FastCopy variant of its name copies a block, and finishes (fence, MMX reset) once.
#pragma once

#include "convert/field_kernel.h"
#include "convert/kernel_selection.h"
#include "platform/win_api.h"

using CopyFunction = void (*)(void* destination, const void* source, DWORD count);

// 32-bit words, then single bytes.
void FastCopy_Plain(void* destination, const void* source, DWORD count);
// 8192-byte blocks pre-read one word every 32 bytes, ordinary 8-byte stores.
void FastCopy_MMX(void* destination, const void* source, DWORD count);
// As MMX, with non-temporal 8-byte stores and a store fence.
void FastCopy_Streaming(void* destination, const void* source, DWORD count);
// Streaming, pre-reading one word every 128 bytes.
void FastCopy_StreamingSparse(void* destination, const void* source, DWORD count);
// Streaming, pre-reading one word every 64 bytes from the block's end downwards.
void FastCopy_StreamingDescending(void* destination, const void* source, DWORD count);

CopyFunction CopyFunctionFor(CopyVariant variant);

FieldKernelFunction FastCopyField_Plain;
FieldKernelFunction FastCopyField_MMX;
FieldKernelFunction FastCopyField_Streaming;
FieldKernelFunction FastCopyField_StreamingSparse;
FieldKernelFunction FastCopyField_StreamingDescending;

FieldKernel FieldCopyFunctionFor(CopyVariant variant);

// What the FastCopy slot holds now: the resolver until the first copy, then the variant.
CopyFunction FastCopySlotForTesting();
bool FastCopySlotHoldsResolverForTesting();
// Puts the resolver back into the slot, so the next copy selects again.
void ResetFastCopySlotForTesting();
