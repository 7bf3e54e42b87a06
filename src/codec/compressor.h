// A compression session: made by ICM_COMPRESS_BEGIN, run by ICM_COMPRESS, destroyed by
// ICM_COMPRESS_END, the next begin or the instance's close.
#pragma once

#include "driver/driver_heap.h"

class Compressor : public HeapObject {};
