// The in-memory colour look-up table every reader fills and every writer reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lut/LargeAlloc.h"
#include "lut/LutLimits.h"

namespace zelvo {

// One output colour, normalised so that 0 and 1 are the lowest and highest code.
struct TLUTEntry {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  friend bool operator==(const TLUTEntry&, const TLUTEntry&) = default;
};

enum class TLUTKind : std::uint8_t {
  lk1D = 0,       // Table1D only
  lk3D = 1,       // Table3D only
  lk1DAnd3D = 2,  // Table1D first, its result looked up in Table3D
  lkNone = 3,     // colours pass unchanged
};

const char* KindName(TLUTKind kind);

class TLUT;
// The lines that describe a loaded LUT to the user: "Type: 3D" and
// "Dimension: 33", "Type: 1D & 3D" and "Dimension: 4096 & 33", or "No LUT data.".
std::vector<std::string> DescribeLUT(const TLUT& lut);

class TLUT {
 public:
  TLUT();
  TLUT(const TLUT&) = delete;
  TLUT& operator=(const TLUT&) = delete;

  int FormatIndex = -1;
  TLUTKind Kind = TLUTKind::lk1D;
  std::vector<std::string> Comments;
  int Size1D = 0;
  int Size3D = 0;

  // Table3D[r][g][b], each index below kMaxGridSize. Callers keep indexes inside
  // the capacity; readers check the declared size before storing.
  TLUTEntry& Table3D(int r, int g, int b) { return table3d_[Offset3D(r, g, b)]; }
  const TLUTEntry& Table3D(int r, int g, int b) const { return table3d_[Offset3D(r, g, b)]; }

  // Table1D[i], i below kMax1DSize.
  TLUTEntry& Table1D(int i) { return table1d_[static_cast<std::size_t>(i)]; }
  const TLUTEntry& Table1D(int i) const { return table1d_[static_cast<std::size_t>(i)]; }

  static constexpr std::size_t Offset3D(int r, int g, int b) {
    return (static_cast<std::size_t>(r) * kMaxGridSize + static_cast<std::size_t>(g)) * kMaxGridSize +
           static_cast<std::size_t>(b);
  }

 private:
  // Zero-filled on allocation; untouched pages cost nothing, so a LUT for a
  // small grid stays cheap although the capacity is fixed.
  template <std::size_t Count>
  struct FreeDeleter {
    void operator()(TLUTEntry* p) const { FreeLarge(p, Count * sizeof(TLUTEntry)); }
  };
  static constexpr std::size_t k3DEntries = static_cast<std::size_t>(kMaxGridSize) * kMaxGridSize * kMaxGridSize;
  std::unique_ptr<TLUTEntry[], FreeDeleter<k3DEntries>> table3d_;
  std::unique_ptr<TLUTEntry[], FreeDeleter<kMax1DSize>> table1d_;
};

// Quantising a normalised value at `bits` bits: not >= 0 gives 0, above 1 gives 1,
// then the integer nearest to (2^bits - 1) * value, ties to even.
std::int64_t QuantizeValue(int bits, double value);

}  // namespace zelvo
