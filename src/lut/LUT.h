// The in-memory colour look-up table every reader fills and every writer reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/LutLimits.h"
#include "base/StringLib.h"
#include "lut/LUTFormatId.h"

// Debug builds check every table access against the declared size, so that a
// reader or writer that steps outside its grid stops at once instead of
// reading a neighbour's entries.
#if !defined(NDEBUG) && !defined(ZELVO_CHECKED_TABLES)
#define ZELVO_CHECKED_TABLES 1
#endif

namespace zelvo {

// One output colour, normalised so that 0 and 1 are the lowest and highest code.
struct TLUTEntry {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  friend bool operator==(const TLUTEntry&, const TLUTEntry&) = default;
};

// The range of inputs a stage of a LUT covers, per channel: an input is mapped
// from Min..Max onto the table's 0..1 before the lookup, and inputs outside
// clamp to the edge. Tables that declare nothing cover 0..1.
struct TLUTDomain {
  TLUTEntry Min{0.0, 0.0, 0.0};
  TLUTEntry Max{1.0, 1.0, 1.0};
  bool IsUnit() const { return Min == TLUTEntry{0.0, 0.0, 0.0} && Max == TLUTEntry{1.0, 1.0, 1.0}; }
  // Every channel's maximum is above its minimum (and both are numbers).
  bool IsValid() const { return Max.R > Min.R && Max.G > Min.G && Max.B > Min.B; }
  // Inputs beyond 0..1 in some channel: a table without a domain clips them.
  bool ReachesBeyondUnit() const {
    return Min.R < 0.0 || Min.G < 0.0 || Min.B < 0.0 || Max.R > 1.0 || Max.G > 1.0 || Max.B > 1.0;
  }
  friend bool operator==(const TLUTDomain&, const TLUTDomain&) = default;
};

enum class TLUTKind : std::uint8_t {
  lk1D = 0,       // Table1D only
  lk3D = 1,       // Table3D only
  lk1DAnd3D = 2,  // Table1D first, its result looked up in Table3D
  lkNone = 3,     // colours pass unchanged
  lkChain = 4,    // no table: the Evaluator computes every colour (a process list)
};

// How a 3D table is read between its grid points.
enum class TInterpolation : std::uint8_t {
  Trilinear = 0,    // the eight corners of the cell, axis by axis
  Tetrahedral = 1,  // the four corners of the tetrahedron that holds the point
};
const char* InterpolationName(TInterpolation interpolation);  // "trilinear", "tetrahedral"
// The interpolation a name gives ("trilinear" or "tetrahedral"); false for others.
bool ParseInterpolation(std::string_view name, TInterpolation& interpolation);

// A colour function a LUT may be instead of tables: a chain of process nodes
// whose colours are computed node by node, as the file means them. This layer
// knows only the interface; the formats that read such chains implement it.
// It never changes once made, so any number of threads may evaluate it.
class TColorEvaluator {
 public:
  virtual ~TColorEvaluator() = default;
  // out[i] = f(in[i]) for i < count; `out` may be `in`. Work a node must bound
  // (a search) is bounded per call, so a caller evaluates a whole bake in few
  // large calls.
  virtual void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const = 0;
  // What it is, for the LUT's description: the names of its nodes.
  virtual std::string Description() const = 0;
  // The lines that describe it (DescribeLUT): by default "Type: Process
  // list" and "Nodes: " with the Description.
  virtual std::vector<std::string> DescriptionLines() const;
};

const char* KindName(TLUTKind kind);

// A block of zeroed entries, sized when it is made.
class TEntryBlock {
 public:
  TEntryBlock() = default;
  explicit TEntryBlock(std::size_t count);
  TEntryBlock(TEntryBlock&& other) noexcept : data_(other.data_), count_(other.count_) {
    other.data_ = nullptr;
    other.count_ = 0;
  }
  TEntryBlock& operator=(TEntryBlock&& other) noexcept;
  TEntryBlock(const TEntryBlock&) = delete;
  TEntryBlock& operator=(const TEntryBlock&) = delete;
  ~TEntryBlock();

  TLUTEntry* data() { return data_; }
  const TLUTEntry* data() const { return data_; }
  std::size_t size() const { return count_; }
  TEntryBlock Copy() const;

 private:
  TLUTEntry* data_ = nullptr;
  std::size_t count_ = 0;
};

class TLUT {
 public:
  TLUT() = default;
  TLUT(TLUT&&) noexcept = default;
  TLUT& operator=(TLUT&&) noexcept = default;
  // Tables can be large: copies are made on purpose only, with Copy.
  TLUT(const TLUT&) = delete;
  TLUT& operator=(const TLUT&) = delete;
  TLUT Copy() const;

  TLUTFormatId FormatIndex = TLUTFormatId::None;
  TLUTKind Kind = TLUTKind::lk1D;
  std::vector<std::string> Comments;
  // The inputs the 1D stage and the 3D stage cover. Of a 1D+3D LUT, the 3D
  // domain applies to the 1D stage's outputs.
  TLUTDomain Domain1D;
  TLUTDomain Domain3D;
  // The domain of the LUT's first stage: the range of inputs it is meant for
  // (of a chain, the range its first node maps, held in Domain3D).
  const TLUTDomain& InputDomain() const {
    return Kind == TLUTKind::lk3D || Kind == TLUTKind::lkChain ? Domain3D : Domain1D;
  }
  // How Table3D is read between grid points: as the file asks (trilinear
  // unless it says otherwise), or as a caller chooses.
  TInterpolation Interpolation3D = TInterpolation::Trilinear;
  // The colour function of a LUT of kind lkChain; shared by copies.
  std::shared_ptr<const TColorEvaluator> Evaluator;

  // Points per axis of Table3D and entries of Table1D.
  int Size3D() const { return size3d_; }
  int Size1D() const { return size1d_; }
  // Set a size and allocate its table, every entry 0. A size outside the
  // limits (LutLimits.h) raises ELUTError before anything is allocated; 0
  // frees the table.
  void SetSize3D(int n);
  void SetSize1D(int m);
  // Take over the other LUT's table and its size, leaving it without one.
  void TakeTable3D(TLUT& other) noexcept;
  void TakeTable1D(TLUT& other) noexcept;

  // Table3D[r][g][b] for indexes below Size3D.
  TLUTEntry& Table3D(int r, int g, int b) { return table3d_.data()[Offset3D(r, g, b)]; }
  const TLUTEntry& Table3D(int r, int g, int b) const { return table3d_.data()[Offset3D(r, g, b)]; }
  // Table1D[i] for i below Size1D.
  TLUTEntry& Table1D(int i) { return table1d_.data()[Offset1D(i)]; }
  const TLUTEntry& Table1D(int i) const { return table1d_.data()[Offset1D(i)]; }

  // The grid in memory: red varies fastest, then green, then blue, so that
  // entry [r][g][b] is Data3D()[(b * Size3D + g) * Size3D + r]. Files in that
  // order are read and written front to back.
  TLUTEntry* Data3D() { return table3d_.data(); }
  const TLUTEntry* Data3D() const { return table3d_.data(); }
  TLUTEntry* Data1D() { return table1d_.data(); }
  const TLUTEntry* Data1D() const { return table1d_.data(); }

 private:
  std::size_t Offset3D(int r, int g, int b) const {
#if ZELVO_CHECKED_TABLES
    CheckIndex3D(r, g, b);
#endif
    const auto n = static_cast<std::size_t>(size3d_);
    return (static_cast<std::size_t>(b) * n + static_cast<std::size_t>(g)) * n + static_cast<std::size_t>(r);
  }
  std::size_t Offset1D(int i) const {
#if ZELVO_CHECKED_TABLES
    CheckIndex1D(i);
#endif
    return static_cast<std::size_t>(i);
  }
  void CheckIndex3D(int r, int g, int b) const;
  void CheckIndex1D(int i) const;

  int size3d_ = 0;
  int size1d_ = 0;
  TEntryBlock table3d_;
  TEntryBlock table1d_;
};

// The lines that describe a loaded LUT to the user: "Type: 3D" and
// "Dimension: 33", "Type: 1D & 3D" and "Dimension: 4096 & 33", or "No LUT data.".
std::vector<std::string> DescribeLUT(const TLUT& lut);

// Quantising a normalised value at `bits` bits: not >= 0 gives 0, above 1 gives 1,
// then the integer nearest to (2^bits - 1) * value, ties to even.
std::int64_t QuantizeValue(int bits, double value);
// The same code as decimal digits, for the integer writers.
std::string FormatIntValue(int bits, double value);
template <typename String>
void AppendIntValue(String& out, int bits, double value) {
  AppendInt(out, QuantizeValue(bits, value));
}

}  // namespace zelvo
