// BoardApi: the table through which every call to the board's interface library goes. Each
// slot points at the library's function or, while the library is not bound, at a stub of the
// same signature that answers 0, so callers never test a slot before calling it.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/win_api.h"

// Arguments and results are pointer-sized so that the 64-bit build can pass and receive
// addresses (vdc_AllocVideoFifo answers the ring's base address); on 32-bit x86 they are the
// library's 32-bit values. Entry points use the platform's calling convention (__stdcall on
// 32-bit x86), and so do the stubs, so that each cleans the caller's stack the same way.
template <std::size_t>
using BoardArgument = DWORD_PTR;

template <typename ArgumentIndices>
struct BoardFunctionOf;

template <std::size_t... ArgumentIndex>
struct BoardFunctionOf<std::index_sequence<ArgumentIndex...>> {
    using Pointer = DWORD_PTR(WINAPI*)(BoardArgument<ArgumentIndex>...);
    static DWORD_PTR WINAPI Stub(BoardArgument<ArgumentIndex>...) { return 0; }
};

// The pointer type and fallback stub of an entry point with argumentCount arguments.
template <std::size_t argumentCount>
using BoardFunction = BoardFunctionOf<std::make_index_sequence<argumentCount>>;

// One slot per entry point, in the library's list order.
struct BoardEntryPoints {
#define BOARD_ENTRY(name, argumentCount) BoardFunction<argumentCount>::Pointer name;
#include "board/board_entry_points.h"
#undef BOARD_ENTRY
};

constexpr std::size_t kBoardEntryPointCount = sizeof(BoardEntryPoints) / sizeof(void*);
static_assert(kBoardEntryPointCount == 158, "the board library has 158 entry points");

// Calls go through the slots, e.g. BoardApi.vdc_AddData(time, field, kind, byteCount).
extern BoardEntryPoints BoardApi;
