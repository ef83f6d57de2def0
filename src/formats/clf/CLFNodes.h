// The process nodes of a Common LUT Format document (CLF, and the CTF
// spellings of the same nodes) read into a chain that evaluates colours.
//
// Every node works on normalised values: the scaling that its inBitDepth and
// outBitDepth put on its parameters ("10i" codes 0..1023, "32f" values 0..1)
// is taken out when the node is read, so that the chain passes 0..1 from node
// to node whatever the depths of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lut/GridSearch.h"
#include "lut/Inverse.h"
#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {

class TXMLNode;

class TCLFOp {
 public:
  TCLFOp(const TXMLNode& node);
  virtual ~TCLFOp() = default;
  TCLFOp(const TCLFOp&) = delete;
  TCLFOp& operator=(const TCLFOp&) = delete;

  std::string Element;  // the node's name as the file spells it
  std::size_t Offset;   // where its tag starts in the document
  int Line = 0;         // the line of that tag, once the document's format knows it
  int OutBits = 0;      // the integer depth its outBitDepth states, else 0

  // out[i] = node(colors[i]), in place.
  virtual void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const = 0;
  // The input range this node gives the table behind it: a clamping map of
  // Min..Max onto 0..1 per channel, and nothing else. False for other nodes.
  virtual bool AsDomain(TLUTDomain& /*domain*/) const { return false; }
};

// out = in * Scale + Shift, then clamped to Lower..Upper where the node clamps.
class TCLFRange final : public TCLFOp {
 public:
  TCLFRange(const TXMLNode& node, double in_scale, double out_scale);
  // A clamping map of min_in..max_in onto min_out..max_out (normalised).
  TCLFRange(const TXMLNode& node, double min_in, double max_in, double min_out, double max_out);
  void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const override;
  bool AsDomain(TLUTDomain& domain) const override;
  // The inputs the node maps when it states both ends; else false.
  bool InputRange(double& min, double& max) const;

 private:
  double Scale = 1.0, Shift = 0.0;
  double Lower, Upper;
  double MinIn = 0.0, MaxIn = 1.0, MinOut = 0.0, MaxOut = 1.0;
  bool HasMin = false, HasMax = false, Clamps = true;
};

// Rows of three coefficients and an offset.
class TCLFMatrix final : public TCLFOp {
 public:
  TCLFMatrix(const TXMLNode& node, double in_scale, double out_scale);
  void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const override;
  bool AsDomain(TLUTDomain& domain) const override;

 private:
  double M[3][4] = {};
};

// A 1D table, forward or inverse; the table is a TLUT of kind lk1D so that a
// plain forward table can become the LUT's own 1D stage. A table over the
// half-float domain has one entry per half-float code (65536): an input is
// looked up at the codes of the two half floats around it, between which it
// interpolates linearly. Values may be given as half-float codes (rawHalfs).
class TCLFLUT1D final : public TCLFOp {
 public:
  TCLFLUT1D(const TXMLNode& node, double out_scale, bool inverse);
  void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const override;
  // A forward table over 0..1 without hue adjustment: what a LUT's 1D stage does.
  bool IsPlain() const { return !Inverse && !HueAdjust && !HalfDomain; }
  TLUT Table;

 private:
  bool Inverse;
  bool HueAdjust = false;
  bool HalfDomain = false;
  double HalfDomainValue(int channel, double x) const;
  // Of the inverse: each channel's curve run backwards.
  TInverseCurve Curves[3];
};

// A 3D table; Table is a TLUT of kind lk3D (red fastest in memory).
class TCLFLUT3D final : public TCLFOp {
 public:
  TCLFLUT3D(const TXMLNode& node, double out_scale);
  void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const override;
  bool Tetrahedral = false;
  TLUT Table;
};

// The inverse of a 3D table (CTF): the grid position whose tetrahedral
// interpolation gives the colour. The table is grown by one point on every
// side, moved away from mid-grey, so that colours beyond its gamut find a
// position at its edge. Where the table folds and several positions give the colour, the cells are
// searched in a fixed order and the first one wins (TGridSearch).
class TCLFInverseLUT3D final : public TCLFOp {
 public:
  TCLFInverseLUT3D(const TXMLNode& node, double in_scale);
  void Apply(TColor* colors, std::size_t count, TSearchBudget& budget) const override;
  TLUT Table;  // the forward table as the file states it, kind lk3D

 private:
  TLUT Grown;  // Table's size + 2 points per axis, its values in single precision
  std::unique_ptr<TGridSearch> Search;
  void GrowGrid();
};

// The curve nodes (CLFCurveNodes.cpp): Log, Exponent and Gamma, ASC_CDL.
std::unique_ptr<TCLFOp> MakeCLFLog(const TXMLNode& node);
std::unique_ptr<TCLFOp> MakeCLFExponent(const TXMLNode& node);
std::unique_ptr<TCLFOp> MakeCLFCDL(const TXMLNode& node);

// The nodes of one ProcessList in document order, with the texts that
// describe it.
struct TCLFChain {
  std::vector<std::unique_ptr<TCLFOp>> Ops;
  std::vector<std::string> Comments;
  // Runs every node over the colours; `out` may be `in`. The first form
  // spends a budget of its own, sized for these colours.
  void Evaluate(const TColor* in, TColor* out, std::size_t count) const;
  void Evaluate(const TColor* in, TColor* out, std::size_t count, TSearchBudget& budget) const;
};

// Reads the nodes of a ProcessList element of `document`. A node this reader does not know,
// a missing Array, a dim that disagrees with the values and numbers that do
// not convert raise ELUTError or EConvertError with the offending element's
// position.
TCLFChain ReadCLFChain(TXMLNode& process_list);
// The same for a whole document: its first ProcessList element, with or
// without a namespace prefix.
TCLFChain ReadCLFDocument(std::string_view document);
// True for the name of a ProcessList element, with or without a namespace
// prefix ("clf:ProcessList").
bool IsProcessListName(std::string_view name);


}  // namespace zelvo
