// The processor-dispatched block copy for bytes that need no conversion.
#pragma once

#include "convert/field_kernel.h"
#include "platform/win_api.h"

// Copies `count` bytes; the areas must not overlap. A fault during the copy (an unreadable
// source, say) ends it quietly, leaving what was copied so far.
void FastCopy(void* destination, const void* source, DWORD count);

// Copies the rows of a UYVY field: `rows` rows of 2 * width bytes, with the strides of a field
// kernel. As FastCopy row by row, but the guard, the store fence and the MMX reset are paid
// once for the field instead of once per row.
FieldKernelFunction FastCopyField;
