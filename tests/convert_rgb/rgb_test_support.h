// What the RGB conversion tests share: the kernel of every variant with its reference and the
// class whose table layout it reads, coefficient tables filled for a chosen class, and
// pictures whose source ends where an unreadable page begins.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "convert/cpu_class.h"
#include "convert/field_kernel.h"
#include "support/guarded_pages.h"

enum class RgbOperation { EncodeRgb24, EncodeRgb32, DecodeRgb24 };

struct RgbKernelCase {
    std::string name;
    RgbOperation operation;
    FieldKernel kernel;
    FieldKernel reference;  // the reference in the kernel's own arithmetic
    CpuClass tableClass;    // a class whose table layout the kernel reads
};

inline void PrintTo(const RgbKernelCase& c, std::ostream* out) {
    *out << c.name;
}

// Every processor variant of the three operations.
std::vector<RgbKernelCase> AllRgbKernelCases();

int SourceBytesPerPixel(RgbOperation operation);
int DestinationBytesPerPixel(RgbOperation operation);

// Empties both coefficient tables and fills them again as a machine of `cpuClass` does
// (nothing may read them meanwhile).
void UseTablesOf(CpuClass cpuClass);

std::vector<BYTE> RandomBytes(std::size_t count, unsigned seed);

// Source rows of random bytes; the last row ends exactly at an unreadable page.
class GuardedPicture {
  public:
    GuardedPicture(int rowBytes, int rows, int stride, unsigned seed);
    const BYTE* data() const { return pages_.data(); }
    BYTE* data() { return pages_.data(); }
    GuardedPages& pages() { return pages_; }

  private:
    GuardedPages pages_;
};

constexpr BYTE kSentinel = 0xA5;
