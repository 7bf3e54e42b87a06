// The draw path's object of an open: it feeds the fields of frames to the video board.
#pragma once

#include "common/driver_heap.h"

class Renderer : public HeapObject {};
