#include "lut/LUT.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Errors.h"
#include "base/LargeAlloc.h"

namespace zelvo {

// ---------------------------------------------------------------------------
// Entry blocks

TEntryBlock::TEntryBlock(std::size_t count) {
  if (count == 0) return;
  data_ = static_cast<TLUTEntry*>(AllocateLarge(count * sizeof(TLUTEntry)));
  count_ = count;
}

TEntryBlock& TEntryBlock::operator=(TEntryBlock&& other) noexcept {
  if (this != &other) {
    FreeLarge(data_, count_ * sizeof(TLUTEntry));
    data_ = other.data_;
    count_ = other.count_;
    other.data_ = nullptr;
    other.count_ = 0;
  }
  return *this;
}

TEntryBlock::~TEntryBlock() { FreeLarge(data_, count_ * sizeof(TLUTEntry)); }

TEntryBlock TEntryBlock::Copy() const {
  TEntryBlock copy(count_);
  if (count_ > 0) std::memcpy(copy.data_, data_, count_ * sizeof(TLUTEntry));
  return copy;
}

// ---------------------------------------------------------------------------
// TLUT

void TLUT::SetSize3D(int n) {
  if (n != 0) CheckGridSize(n);
  const auto points = static_cast<std::size_t>(n);
  table3d_ = TEntryBlock(points * points * points);
  size3d_ = n;
}

void TLUT::SetSize1D(int m) {
  if (m != 0) Check1DSize(m);
  table1d_ = TEntryBlock(static_cast<std::size_t>(m));
  size1d_ = m;
}

void TLUT::TakeTable3D(TLUT& other) noexcept {
  table3d_ = std::move(other.table3d_);
  size3d_ = other.size3d_;
  other.size3d_ = 0;
}

void TLUT::TakeTable1D(TLUT& other) noexcept {
  table1d_ = std::move(other.table1d_);
  size1d_ = other.size1d_;
  other.size1d_ = 0;
}

TLUT TLUT::Copy() const {
  TLUT copy;
  copy.FormatIndex = FormatIndex;
  copy.Kind = Kind;
  copy.Comments = Comments;
  copy.Domain1D = Domain1D;
  copy.Domain3D = Domain3D;
  copy.Interpolation3D = Interpolation3D;
  copy.Evaluator = Evaluator;
  copy.size3d_ = size3d_;
  copy.size1d_ = size1d_;
  copy.table3d_ = table3d_.Copy();
  copy.table1d_ = table1d_.Copy();
  return copy;
}

namespace {

[[noreturn]] void TableAccessFault(const char* table, int index, int size) {
  // A programming error, not bad input: stop here, where the debugger and the
  // sanitizers show the caller.
  std::fprintf(stderr, "zelvo: %s index %d outside the declared size %d\n", table, index, size);
  std::abort();
}

}  // namespace

void TLUT::CheckIndex3D(int r, int g, int b) const {
  for (const int i : {r, g, b}) {
    if (i < 0 || i >= size3d_) TableAccessFault("Table3D", i, size3d_);
  }
}

void TLUT::CheckIndex1D(int i) const {
  if (i < 0 || i >= size1d_) TableAccessFault("Table1D", i, size1d_);
}

const char* KindName(TLUTKind kind) {
  switch (kind) {
    case TLUTKind::lk1D: return "1D";
    case TLUTKind::lk3D: return "3D";
    case TLUTKind::lk1DAnd3D: return "1D & 3D";
    case TLUTKind::lkNone: return "none";
    case TLUTKind::lkChain: return "process list";
  }
  return "none";
}

const char* InterpolationName(TInterpolation interpolation) {
  return interpolation == TInterpolation::Tetrahedral ? "tetrahedral" : "trilinear";
}

bool ParseInterpolation(std::string_view name, TInterpolation& interpolation) {
  if (name == "trilinear") interpolation = TInterpolation::Trilinear;
  else if (name == "tetrahedral") interpolation = TInterpolation::Tetrahedral;
  else return false;
  return true;
}

std::vector<std::string> TColorEvaluator::DescriptionLines() const {
  return {"Type: Process list", "Nodes: " + Description()};
}

std::vector<std::string> DescribeLUT(const TLUT& lut) {
  switch (lut.Kind) {
    case TLUTKind::lk1D: return {"Type: 1D", "Dimension: " + std::to_string(lut.Size1D())};
    case TLUTKind::lk3D: return {"Type: 3D", "Dimension: " + std::to_string(lut.Size3D())};
    case TLUTKind::lk1DAnd3D:
      return {"Type: 1D & 3D", "Dimension: " + std::to_string(lut.Size1D()) + " & " + std::to_string(lut.Size3D())};
    case TLUTKind::lkNone: return {"No LUT data."};
    case TLUTKind::lkChain:
      if (lut.Evaluator) return lut.Evaluator->DescriptionLines();
      return {"Type: Process list", "Nodes: "};
  }
  return {};
}

std::int64_t QuantizeValue(int bits, double value) {
  // 2^b - 1 for every depth a double can count exactly; depths outside that
  // range are clamped so that the code always fits the result.
  static const auto scales = [] {
    std::array<double, 54> s{};
    for (int b = 0; b < 54; ++b) s[static_cast<std::size_t>(b)] = std::ldexp(1.0, b) - 1.0;
    return s;
  }();
  const double scale = scales[static_cast<std::size_t>(std::clamp(bits, 0, 53))];
  if (!(value >= 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  // nearbyint follows the current rounding mode, which is round-to-nearest-even.
  return static_cast<std::int64_t>(std::nearbyint(scale * value));
}

std::string FormatIntValue(int bits, double value) {
  std::string out;
  AppendIntValue(out, bits, value);
  return out;
}

}  // namespace zelvo
