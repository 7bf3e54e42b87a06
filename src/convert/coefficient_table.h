// A table filled once (see kernel_selection.h): a process-wide coefficient table, filled at
// most once per process.
//
// The entries are written completely into a 128-byte-aligned static buffer and only then is
// the table's pointer published (release); kernels read the table only through Data()
// (acquire), so they see either no table or all of it. A constructor racing with another
// waits until the winner has published, so every caller leaves with the table in place.
//
// Usage (a table constructor):
//     CoefficientTable<kBytes> gRgbToYuvTable;               // one static per table
//     const TableLayout layout = TableLayoutFor(GetCpuClass());
//     if (layout != TableLayout::None) {
//         gRgbToYuvTable.PublishOnce([layout](BYTE* entries) { FillTable(entries, layout); });
//     }
// and in a kernel: const BYTE* table = gRgbToYuvTable.Data();
#pragma once

#include <atomic>
#include <cstddef>

#include "platform/win_api.h"

template <std::size_t Capacity>
class CoefficientTable {
public:
    constexpr CoefficientTable() = default;
    CoefficientTable(const CoefficientTable&) = delete;
    CoefficientTable& operator=(const CoefficientTable&) = delete;

    // Calls fill(entries) with the buffer and publishes it, unless the table is published
    // already; `fill` must write every entry and must not throw.
    template <typename Fill>
    void PublishOnce(Fill&& fill) {
        if (Data() != nullptr) {
            return;
        }
        int expected = kEmpty;
        if (state_.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) {
            fill(entries_);
            published_.store(entries_, std::memory_order_release);
            return;
        }
        while (Data() == nullptr) {
            Sleep(0);
        }
    }

    // The published table, or null before it is filled.
    const BYTE* Data() const { return published_.load(std::memory_order_acquire); }

    // Unpublishes the table so the next PublishOnce fills it again (tests only: nothing may
    // read the table meanwhile).
    void ResetForTesting() {
        published_.store(nullptr, std::memory_order_release);
        state_.store(kEmpty, std::memory_order_release);
    }

private:
    static constexpr int kEmpty = 0;
    static constexpr int kFilling = 1;

    alignas(128) BYTE entries_[Capacity]{};
    std::atomic<int> state_{kEmpty};
    std::atomic<const BYTE*> published_{nullptr};
};
