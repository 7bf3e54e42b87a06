// A decompression session: made by ICM_DECOMPRESS_BEGIN, run by ICM_DECOMPRESS, destroyed by
// ICM_DECOMPRESS_END, the next begin or the instance's close.
#pragma once

#include "driver/driver_heap.h"

class Decompressor : public HeapObject {};
