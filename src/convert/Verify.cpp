#include "convert/Verify.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "base/Errors.h"
#include "convert/LUTChain.h"

namespace zelvo {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A number as a person reads it: four significant digits, locale-free.
std::string Short(double v) {
  char buf[32];
  // Whole numbers of up to 15 digits in full, not as 2.5e+04.
  const bool whole = std::fabs(v) >= 1e4 && std::fabs(v) < 1e15;
  const auto end = whole ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 0).ptr
                         : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4).ptr;
  return std::string(buf, end);
}

std::string ColorText(const TColor& c) { return Short(c.R) + " " + Short(c.G) + " " + Short(c.B); }

double Channel(const TColor& c, int k) { return k == 0 ? c.R : k == 1 ? c.G : c.B; }

// The largest difference of any channel between two LUTs over a lattice of
// m positions per axis spread over `domain`: the grid i / (m - 1), or with
// `centres` the middles of m equal cells, (i + 0.5) / m, which fall between
// the points of a table of m + 1 (of every `step`th cell per axis).
struct TLargest {
  double Difference = 0.0;
  TColor At;
};
TLargest LargestDifference(const TLUT& a, const TLUT& b, const TLUTDomain& domain, int m, bool centres, int step = 1) {
  std::vector<double> x;
  for (int i = 0; i < m; i += step) x.push_back(centres ? (i + 0.5) / m : static_cast<double>(i) / (m - 1));
  const auto at = [&](double t, double lo, double hi) { return lo + t * (hi - lo); };
  TLargest largest;
  constexpr std::size_t kSpan = 1 << 15;
  std::vector<TColor> in, out_a(kSpan), out_b(kSpan);
  in.reserve(kSpan);
  const auto flush = [&] {
    EvaluateLUTSpan(a, in.data(), out_a.data(), in.size());
    EvaluateLUTSpan(b, in.data(), out_b.data(), in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
      const double d = std::max({std::fabs(out_a[k].R - out_b[k].R), std::fabs(out_a[k].G - out_b[k].G),
                                 std::fabs(out_a[k].B - out_b[k].B)});
      if (d > largest.Difference || std::isnan(d)) largest = TLargest{std::isnan(d) ? kInfinity : d, in[k]};
    }
    in.clear();
  };
  for (const double bl : x)
    for (const double g : x)
      for (const double r : x) {
        in.push_back(TColor{at(r, domain.Min.R, domain.Max.R), at(g, domain.Min.G, domain.Max.G),
                            at(bl, domain.Min.B, domain.Max.B)});
        if (in.size() == kSpan) flush();
      }
  if (!in.empty()) flush();
  return largest;
}

// The part of the first domain that the second covers too.
bool Intersect(const TLUTDomain& a, const TLUTDomain& b, TLUTDomain& common) {
  common.Min = TLUTEntry{std::max(a.Min.R, b.Min.R), std::max(a.Min.G, b.Min.G), std::max(a.Min.B, b.Min.B)};
  common.Max = TLUTEntry{std::min(a.Max.R, b.Max.R), std::min(a.Max.G, b.Max.G), std::min(a.Max.B, b.Max.B)};
  return common.IsValid();
}

// The largest difference between a process list and a table of it, at the
// middle of each of the table's cells (of a chain that inverts a LUT, whose
// every colour is a search, of every other cell along each axis).
TLargest ChainLoss(const TLUT& source, const TLUT& target, const TLUTDomain& common) {
  const auto* chain = dynamic_cast<const TChainEvaluator*>(source.Evaluator.get());
  const int step = chain != nullptr && chain->Inverts() ? 2 : 1;
  return LargestDifference(source, target, common, std::max(target.Size3D() - 1, 1), true, step);
}

}  // namespace

const TLUT& AsReadBy(const TLUTFormat& format, const TLUT& table, TLUT& read) {
  // The format is asked with all but the 3D grid, which it does not change.
  TLUT probe;
  probe.Kind = table.Kind;
  probe.Domain1D = table.Domain1D;
  probe.Domain3D = table.Domain3D;
  probe.Interpolation3D = table.Interpolation3D;
  if (table.Kind == TLUTKind::lk1D || table.Kind == TLUTKind::lk1DAnd3D) {
    probe.SetSize1D(table.Size1D());
    std::copy_n(table.Data1D(), table.Size1D(), probe.Data1D());
  }
  if (!format.AsReadBack(probe)) return table;
  read = table.Copy();
  read.Domain1D = probe.Domain1D;
  read.Domain3D = probe.Domain3D;
  read.Interpolation3D = probe.Interpolation3D;
  if (probe.Size1D() > 0) read.TakeTable1D(probe);
  return read;
}

bool FollowsCloser(const TLUT& source, const TLUT& a, const TLUT& b) {
  TLUTDomain common;
  if (!Intersect(source.InputDomain(), a.InputDomain(), common)) return false;
  return ChainLoss(source, a, common).Difference < ChainLoss(source, b, common).Difference;
}

std::string LossOf(const TLUT& source, const TLUT& target) {
  const bool to_1d = target.Kind == TLUTKind::lk1D && source.Kind != TLUTKind::lk1D && source.Kind != TLUTKind::lkNone;
  if (!to_1d && source.Kind != TLUTKind::lkChain) return {};
  TLUTDomain common;
  if (!Intersect(source.InputDomain(), target.InputDomain(), common)) return {};
  const TLargest largest = to_1d ? LargestDifference(source, target, common, 17, false) : ChainLoss(source, target, common);
  constexpr int kBits = 10;
  if (!(largest.Difference > HalfCodeStep(kBits))) return {};
  const std::string where = "largest difference " + Short(largest.Difference) + ", " +
                            Short(largest.Difference * (std::ldexp(1.0, kBits) - 1)) +
                            " code steps of 10 bits, at input " + ColorText(largest.At);
  if (to_1d) return "a 1D table keeps only the response to greys: the colour mixing of the 3D LUT is lost (" + where + ")";
  return "the table cannot follow the process list between its points (" + where + ")";
}

// ---------------------------------------------------------------------------
// Reading a written file back

namespace {

std::function<void(TLUT&)>& ReadBackHook() {
  static std::function<void(TLUT&)> hook;
  return hook;
}

// Two tables on the same points, read the same way between them. Trilinear,
// tetrahedral and 1D interpolation all mix the points around an input with
// weights that are the same for both tables and add up to 1, so the
// difference anywhere is at most the largest difference at a point.
bool SameGrid(const TLUT& a, const TLUT& b) {
  if (a.Kind != b.Kind) return false;
  if (a.Kind == TLUTKind::lk3D) {
    return a.Size3D() == b.Size3D() && a.Domain3D == b.Domain3D && a.Interpolation3D == b.Interpolation3D;
  }
  return a.Kind == TLUTKind::lk1D && a.Size1D() == b.Size1D() && a.Domain1D == b.Domain1D;
}

// The difference of two values: 0 when they are the same number, infinite
// when either is not a number.
double Difference(double x, double y) {
  if (x == y || std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y)) return 0.0;
  const double d = std::fabs(x - y);
  return std::isnan(d) ? kInfinity : d;
}

// Whether the stage that gives a table's outputs is its 3D grid (also
// behind a 1D stage) rather than its 1D curves.
bool OutputsFrom3D(const TLUT& table) { return table.Kind == TLUTKind::lk3D || table.Kind == TLUTKind::lk1DAnd3D; }

// The entries of the stage that gives a table's outputs.
struct TEntries {
  const TLUTEntry* Data;
  std::size_t Count;
};
TEntries EntriesOf(const TLUT& table) {
  const bool is_3d = OutputsFrom3D(table);
  const auto n = static_cast<std::size_t>(is_3d ? table.Size3D() : table.Size1D());
  return TEntries{is_3d ? table.Data3D() : table.Data1D(), is_3d ? n * n * n : n};
}

// The largest size of a value of the stage.
double LargestValue(const TLUTEntry* data, std::size_t count) {
  double largest = 0.0;
  for (const TLUTEntry& e : std::span(data, count)) largest = std::max({largest, std::fabs(e.R), std::fabs(e.G), std::fabs(e.B)});
  return largest;
}

// Every point of two tables on the same grid.
TLargestDifference CompareGridPoints(const TLUT& a, const TLUT& b) {
  const bool is_3d = a.Kind == TLUTKind::lk3D;
  const auto n = static_cast<std::size_t>(is_3d ? a.Size3D() : a.Size1D());
  const auto [pa, count] = EntriesOf(a);
  const TLUTEntry* pb = EntriesOf(b).Data;
  double largest = -1.0;
  std::size_t at = 0;
  int channel = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double d[3] = {Difference(pa[i].R, pb[i].R), Difference(pa[i].G, pb[i].G), Difference(pa[i].B, pb[i].B)};
    for (int k = 0; k < 3; ++k) {
      if (d[k] > largest) largest = d[k], at = i, channel = k;
    }
  }
  // The input of the point: its position on each axis over the domain.
  const TLUTDomain& domain = is_3d ? a.Domain3D : a.Domain1D;
  const std::size_t index[3] = {is_3d ? at % n : at, is_3d ? at / n % n : at, is_3d ? at / (n * n) : at};
  TColor input;
  for (int k = 0; k < 3; ++k) {
    const double lo = Channel(domain.Min, k), hi = Channel(domain.Max, k);
    const std::size_t i = index[k];
    const double v = i + 1 == n ? hi : lo + (static_cast<double>(i) / static_cast<double>(n - 1)) * (hi - lo);
    (k == 0 ? input.R : k == 1 ? input.G : input.B) = v;
  }
  return TLargestDifference{std::max(largest, 0.0), channel, TCompareSpot{input, pa[at], pb[at]}};
}

TLargestDifference Compare(const TLUT& a, const TLUT& b, int bits) {
  if (SameGrid(a, b)) return CompareGridPoints(a, b);
  TCompareOptions options;
  options.DepthBits = bits;
  options.Space = TCompareSpace::csNone;
  const TCompareReport report = CompareLUTs(a, b, options);
  return TLargestDifference{report.MaxDifference(), report.WorstChannel, report.MaxDifferenceAt()};
}

// The table as the format holds it: a shaper as the format's readers take
// it, output values beyond what its files hold brought to the ends they are
// written as (null when it holds the table as it is); the largest size of
// an output held and of a shaper's value, for the rounding of floats.
struct THeld {
  std::unique_ptr<TLUT> Table;
  double Largest = 0.0;
  double ShaperLargest = 0.0;
};
THeld HeldTable(const TLUT& table, const TLUTFormat& format, const TWrittenValues& written) {
  THeld result;
  if (TLUT read; &AsReadBy(format, table, read) == &read) result.Table = std::make_unique<TLUT>(std::move(read));
  const TLUT& given = result.Table ? *result.Table : table;
  if (given.Kind == TLUTKind::lk1DAnd3D) {
    result.ShaperLargest = LargestValue(given.Data1D(), static_cast<std::size_t>(given.Size1D()));
  }
  const TEntries entries = EntriesOf(given);
  const auto held = [&](double v) { return std::clamp(v, written.Low, written.High); };
  bool clips = false;
  for (const TLUTEntry& e : std::span(entries.Data, entries.Count)) {
    const TLUTEntry h{held(e.R), held(e.G), held(e.B)};
    clips = clips || !(h == e);
    result.Largest = std::max({result.Largest, std::fabs(h.R), std::fabs(h.G), std::fabs(h.B)});
  }
  if (!clips) return result;
  if (!result.Table) result.Table = std::make_unique<TLUT>(table.Copy());
  TLUT& copy = *result.Table;
  TLUTEntry* data = OutputsFrom3D(copy) ? copy.Data3D() : copy.Data1D();
  for (std::size_t i = 0; i < entries.Count; ++i) data[i] = TLUTEntry{held(data[i].R), held(data[i].G), held(data[i].B)};
  return result;
}

// How much an output can change when the input of the stage that gives it
// moves by that stage's whole input range: the largest step between
// neighbouring points times the steps across, on each of the axes a 3D input
// moves along at once.
double LargestSlope(const TLUT& table) {
  const bool is_3d = OutputsFrom3D(table);
  const int n = is_3d ? table.Size3D() : table.Size1D();
  const auto step = [](const TLUTEntry& a, const TLUTEntry& b) {
    return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
  };
  double largest = 0.0;
  if (!is_3d) {
    for (int i = 0; i + 1 < n; ++i) largest = std::max(largest, step(table.Table1D(i), table.Table1D(i + 1)));
    return largest * (n - 1);
  }
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const TLUTEntry& e = table.Table3D(r, g, b);
        if (r + 1 < n) largest = std::max(largest, step(e, table.Table3D(r + 1, g, b)));
        if (g + 1 < n) largest = std::max(largest, step(e, table.Table3D(r, g + 1, b)));
        if (b + 1 < n) largest = std::max(largest, step(e, table.Table3D(r, g, b + 1)));
      }
  return 3.0 * largest * (n - 1);
}

// The rounding of doubles in the interpolations compared: far below any step
// a file writes, far above the last places of the values.
constexpr double kArithmetic = 1e-9;

// A file whose reader gives it points of its own (a curve ahead of its
// table) is compared with the source at inputs that the source and the
// table written were not compared at. At the input where it differs most
// from the source, the expected difference and the file's difference from
// the table are measured too, so that the largest difference from the
// source stays within Expected + Rounding for a file that passes.
void AddWorstInput(const TLUT& source, const TLUT& held, const TLUT& back, TVerification& v) {
  const TColor in = v.FromSource.At.Input;
  const TColor s = EvaluateLUT(source, in), t = EvaluateLUT(held, in), b = EvaluateLUT(back, in);
  for (int k = 0; k < 3; ++k) {
    v.Expected = std::max(v.Expected, Difference(Channel(s, k), Channel(t, k)));
    const double d = Difference(Channel(t, k), Channel(b, k));
    if (d > v.FromWritten.Value) v.FromWritten = TLargestDifference{d, k, TCompareSpot{in, t, b}};
  }
}

}  // namespace

TVerification VerifyWrittenFile(const TLUT& source, const TLUT& table, const TLutOutputProfile& profile, int bits,
                                const std::string& target_path) {
  TVerification v;
  const TLUTFormat& format = FormatOfProfile(profile);
  const TWrittenValues written = format.WrittenValues(bits);
  v.Bits = written.CodeBits > 0 ? written.CodeBits : 10;
  const TLUTFormatId reader = format.ReadBackAs();
  if (reader == TLUTFormatId::None) {
    v.Outcome = TVerifyOutcome::Unverifiable;
    v.Problem = "no reader of this program reads \"" + profile.Caption + "\" files";
    return v;
  }
  // In memory first: how far the table given to the writer, as its format
  // holds it, is from the source.
  const THeld held_table = HeldTable(table, format, written);
  const TLUT& held = held_table.Table ? *held_table.Table : table;
  const double size = held_table.Largest;
  // The source's own table, passed over: nothing to compare.
  const bool is_source = &held == &source;
  try {
    v.Expected = is_source ? 0.0 : Compare(source, held, v.Bits).Value;
  } catch (const EZelvoError&) {
    v.Outcome = TVerifyOutcome::Unverifiable;
    v.Problem = "the file covers none of the inputs its source covers";
    return v;
  }
  v.Rounding = written.HalfStepAt(size) + kArithmetic * std::max(1.0, size);
  // The table's inputs as a share of its range, moved by the format's own
  // curve ahead of it or by the rounding of a shaper's values, move its
  // outputs by up to that share of its steepest change.
  double shift = written.InputShift;
  if (held.Kind == TLUTKind::lk1DAnd3D) {
    const TLUTDomain& d = held.Domain3D;
    const double width = std::min({d.Max.R - d.Min.R, d.Max.G - d.Min.G, d.Max.B - d.Min.B});
    const double shaper = held_table.ShaperLargest;
    shift += (written.HalfStepAt(shaper) + kArithmetic * std::max(1.0, shaper)) / width;
  }
  if (shift > 0.0) v.Rounding += shift * LargestSlope(held);
  v.Bound = v.Expected + v.Rounding;

  // Then the file on the disk, as any reader of it would find it.
  TLUT back;
  try {
    const TLUTFormatId detected = DetectLUTFormat(target_path);
    if (detected != reader) {
      v.Outcome = TVerifyOutcome::Unreadable;
      v.Problem = detected == TLUTFormatId::None
                      ? "no format recognises it"
                      : "it is recognised as " + LUTFormatOf(detected).Name + ", not as " + LUTFormatOf(reader).Name;
      return v;
    }
    LoadLUTFile(target_path, back, reader);
    if (const auto& hook = ReadBackHook()) hook(back);
    v.FromWritten = Compare(held, back, v.Bits);
    v.FromSource = is_source ? v.FromWritten : Compare(source, back, v.Bits);
    AddWorstInput(source, held, back, v);
    v.Bound = v.Expected + v.Rounding;
  } catch (const EZelvoError& e) {
    v.Outcome = TVerifyOutcome::Unreadable;
    v.Problem = e.Described();
    return v;
  }
  v.Outcome = v.FromWritten.Value <= v.Rounding ? TVerifyOutcome::Within : TVerifyOutcome::Beyond;
  return v;
}

namespace {

const char* const kChannels[] = {"red", "green", "blue"};

std::string CodeSteps(double value, int bits) {
  return Short(value * (std::ldexp(1.0, bits) - 1.0)) + " code steps of " + std::to_string(bits) + " bits";
}

std::string DifferenceText(const TLargestDifference& d, int bits) {
  if (d.Value == 0.0) return "0";
  return Short(d.Value) + " (" + CodeSteps(d.Value, bits) + ") at input " + ColorText(d.At.Input);
}

}  // namespace

std::string VerificationText(const TVerification& v) {
  switch (v.Outcome) {
    case TVerifyOutcome::Within:
      return "largest difference " + DifferenceText(v.FromSource, v.Bits) + ", within the " + Short(v.Bound) +
             " expected; the table written held to " + Short(v.FromWritten.Value) + " (rounding " +
             Short(v.Rounding) + ")";
    case TVerifyOutcome::Beyond:
      return "failed: differs from what was written by " + DifferenceText(v.FromWritten, v.Bits) +
             "; largest difference " + DifferenceText(v.FromSource, v.Bits) + ", " + Short(v.Bound) + " expected";
    case TVerifyOutcome::Unreadable: return "failed: cannot be read back: " + v.Problem;
    case TVerifyOutcome::Unverifiable: return "not verified: " + v.Problem;
  }
  return {};
}

std::string VerificationFailure(const TVerification& v, const std::string& target_path) {
  if (v.Outcome == TVerifyOutcome::Unreadable) {
    return "The file \"" + target_path + "\" cannot be read back (" + v.Problem + "); it stays written.";
  }
  const TLargestDifference& w = v.FromWritten;
  return "The file \"" + target_path + "\" read back differs from what was written by " +
         DifferenceText(w, v.Bits) + " (" + kChannels[w.Channel] + " " + Short(Channel(w.At.B, w.Channel)) +
         " read, " + Short(Channel(w.At.A, w.Channel)) + " written), more than the rounding of its values (" +
         Short(v.Rounding) + "); from its source by " + DifferenceText(v.FromSource, v.Bits) + ", " +
         Short(v.Bound) + " expected; it stays written.";
}

void SetReadBackHook(std::function<void(TLUT& read_back)> hook) { ReadBackHook() = std::move(hook); }

}  // namespace zelvo
