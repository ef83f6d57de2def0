// Houdini .lut files: 1D curves, a 3D cube, or a cube behind one pre-LUT
// curve. A cube with a pre-LUT:
//
//   Version     3
//   Format      any
//   Type        3D+1D          <- 3D, 3D+1D, or a 1D type: C (one curve for
//   From        -0.0017 16.0      red, green and blue), RGB (one each), CA, RGBA
//   To          0 1            <- the range of the table's values
//   Black       0
//   White       1
//   Length      17 256         <- cube size, then pre-LUT length (1D: curve length)
//   LUT:
//   Pre {                      <- one value a line
//       0.000000
//       ...
//   }
//   3D {                       <- "3D {" or a lone "{": rows of three, red fastest
//       0.000000 0.000000 0.000000
//       ...
//    }
//
// 1D files hold blocks named after the channels they set: "RGB {" for all
// three (or "R {", "G {", "B {"); an alpha curve ("A {", or the A of "RGBA")
// is passed over. "From" is the input range of the first stage; values
// outside it are clamped to it.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/TableSupport.h"
#include "formats/ReadErrors.h"
#include "formats/StrictText.h"

namespace zelvo {

namespace {

enum class THdlType { OneCurve, ThreeCurves, Cube, CubeWithPre };

// The header, as far as it matters here.
struct THdlHeader {
  THdlType Type = THdlType::Cube;
  bool HasType = false;
  int Length[2] = {-1, -1};
  double From[2] = {0.0, 1.0};
  double To[2] = {0.0, 1.0};
};

// The words of a header line: the key, upper-cased, and the values.
struct THdlLine {
  std::string Key;
  std::string_view Values[3];
  int Count = 0;  // values in all
};

THdlLine SplitHeaderLine(std::string_view line) {
  std::string_view fields[4];
  const int n = SplitFields(line, fields, 4);
  THdlLine h;
  if (n == 0) return h;
  h.Key = UpperCase(fields[0]);
  h.Count = n - 1;
  for (int i = 1; i < std::min(n, 4); ++i) h.Values[i - 1] = fields[i];
  return h;
}

bool IsLutLine(std::string_view line) { return UpperCase(Trim(line)) == "LUT:"; }

// Two numbers, the second above the first.
void ReadRange(const THdlLine& h, std::string_view line, double (&range)[2]) {
  if (h.Count != 2) RaiseBadHeaderValue(line, "two numbers are expected");
  range[0] = StrToFloat(h.Values[0]);
  range[1] = StrToFloat(h.Values[1]);
  if (!(range[1] > range[0])) RaiseBadHeaderValue(line, "the maximum must be above the minimum");
}

THdlType TypeOf(std::string_view value, std::string_view line) {
  const std::string t = UpperCase(value);
  if (t == "3D") return THdlType::Cube;
  if (t == "3D+1D") return THdlType::CubeWithPre;
  if (t == "C" || t == "CA") return THdlType::OneCurve;
  if (t == "RGB" || t == "RGBA") return THdlType::ThreeCurves;
  RaiseBadHeaderValue(line, "the types 3D, 3D+1D, C, CA, RGB and RGBA are read");
}

// Reads the header up to the "LUT:" line.
THdlHeader ReadHeader(TTextLines& lines) {
  THdlHeader header;
  bool length_given = false;
  while (lines.Next()) {
    const std::string_view line = lines.Line();
    if (IsLutLine(line)) {
      if (!header.HasType) throw ELUTError("The \"Type\" line is missing");
      if (!length_given) throw ELUTError("The \"Length\" line is missing");
      return header;
    }
    const THdlLine h = SplitHeaderLine(line);
    const int n = lines.Number();
    AtLine(n, [&] {
      if (h.Key == "TYPE") {
        if (h.Count != 1) RaiseBadHeaderValue(line, "one word is expected");
        header.Type = TypeOf(h.Values[0], line);
        header.HasType = true;
      } else if (h.Key == "LENGTH") {
        if (h.Count < 1 || h.Count > 2) RaiseBadHeaderValue(line, "one or two numbers are expected");
        for (int i = 0; i < h.Count; ++i) {
          const int value = IntField(h.Values[i], n);
          if (length_given && header.Length[i] != value) RaiseSizeChanged(header.Length[i], value, n);
          header.Length[i] = value;
        }
        length_given = true;
      } else if (h.Key == "FROM") {
        ReadRange(h, line, header.From);
      } else if (h.Key == "TO") {
        ReadRange(h, line, header.To);
      } else if (h.Key == "BLACK" || h.Key == "WHITE") {
        // Points other than 0 and 1 would change every value in a way no
        // reader agrees on; such files are refused rather than guessed at.
        const double expected = h.Key == "BLACK" ? 0.0 : 1.0;
        if (h.Count != 1 || StrToFloat(h.Values[0]) != expected) {
          RaiseBadHeaderValue(line, "black and white points other than 0 and 1 are not read");
        }
      } else if (h.Key == "SAMPLING") {
        if (h.Count != 1 || UpperCase(h.Values[0]) != "LINEAR") {
          RaiseBadHeaderValue(line, "only linearly sampled tables are read");
        }
      }
    });
  }
  throw ELUTError("Incomplete file (the file ends at line " + std::to_string(lines.Number()) +
                  ", before the \"LUT:\" line)");
}

// One block of values after "LUT:": where its values go and how many.
struct THdlBlock {
  std::string Name;  // as the file writes it
  int PerRow = 1;           // values a line
  std::size_t Rows = 0;     // rows it must hold
  std::size_t Read = 0;
  // Where row i goes: value v of it (v < PerRow).
  std::function<void(std::size_t, const double*)> Store;
};

class THdlReader {
 public:
  THdlReader(const TLUTSource& source, TLUT& lut) : source_(source), lut_(lut), lines_(source.Text()) {}
  void Read();

 private:
  // The block a "NAME {" line opens, set up to store its rows.
  THdlBlock Open(std::string_view name, int line);
  void ReadBlock(THdlBlock& block);
  void Finish();

  const TLUTSource& source_;
  TLUT& lut_;
  TTextLines lines_;
  THdlHeader header_;
  std::vector<double> pre_;
  bool have_[3] = {false, false, false};  // red, green, blue curves given
  bool have_cube_ = false;
  bool have_pre_ = false;
};

void THdlReader::Read() {
  header_ = ReadHeader(lines_);
  const int length = header_.Length[0];
  {
    if (header_.Type == THdlType::OneCurve || header_.Type == THdlType::ThreeCurves) {
      Check1DSize(length);
      CheckRowsFit(source_.Bytes().size(), static_cast<std::size_t>(length), 2);
      lut_.Kind = TLUTKind::lk1D;
      lut_.SetSize1D(length);
    } else {
      CheckGridSize(length);
      const auto n = static_cast<std::size_t>(length);
      CheckRowsFit(source_.Bytes().size(), n * n * n, 6);
      lut_.Kind = TLUTKind::lk3D;
      if (header_.Type == THdlType::CubeWithPre) {
        if (header_.Length[1] < 0) throw ELUTError("The \"Length\" line gives no pre-LUT length");
        Check1DSize(header_.Length[1]);
        CheckRowsFit(source_.Bytes().size(), static_cast<std::size_t>(header_.Length[1]), 2);
      }
    }
  }
  while (lines_.Next()) {
    const std::string_view line = lines_.Line();
    if (IsBlankLine(line)) continue;
    std::string_view fields[3];
    const int count = SplitFields(line, fields, 3);
    if (count == 1 && fields[0] == "{") {
      THdlBlock block = Open("3D", lines_.Number());
      ReadBlock(block);
    } else if (count == 2 && fields[1] == "{") {
      THdlBlock block = Open(fields[0], lines_.Number());
      ReadBlock(block);
    } else {
      RaiseAtLine(ELUTError(QuotedRow(line) + " does not open a block of values"), lines_.Number());
    }
  }
  Finish();
}

THdlBlock THdlReader::Open(std::string_view name, int line) {
  THdlBlock block;
  block.Name = std::string(name);
  const std::string upper = UpperCase(name);
  const bool cube_type = header_.Type == THdlType::Cube || header_.Type == THdlType::CubeWithPre;
  const auto twice = [&] { RaiseAtLine(ELUTError("The block \"" + std::string(name) + "\" is given twice"), line); };
  if (cube_type && upper == "3D") {
    if (have_cube_) twice();
    have_cube_ = true;
    lut_.SetSize3D(header_.Length[0]);
    block.PerRow = 3;
    block.Rows = static_cast<std::size_t>(lut_.Size3D()) * lut_.Size3D() * lut_.Size3D();
    block.Store = [this](std::size_t i, const double* v) { lut_.Data3D()[i] = TLUTEntry{v[0], v[1], v[2]}; };
    return block;
  }
  if (header_.Type == THdlType::CubeWithPre && upper == "PRE") {
    if (have_pre_) twice();
    have_pre_ = true;
    pre_.resize(static_cast<std::size_t>(header_.Length[1]));
    block.Rows = pre_.size();
    block.Store = [this](std::size_t i, const double* v) { pre_[i] = v[0]; };
    return block;
  }
  // A curve block: its letters name the channels it sets (C: red, green and
  // blue); alpha is passed over.
  const std::string channels = upper == "C" ? "RGB" : upper == "CA" ? "RGBA" : upper;
  const bool letters = !cube_type && !channels.empty() && channels.find_first_not_of("RGBA") == std::string::npos;
  if (!letters) RaiseAtLine(ELUTError("The block \"" + std::string(name) + "\" is not read in this type of file"), line);
  bool sets[3] = {false, false, false};
  for (const char c : channels) {
    const int k = c == 'R' ? 0 : c == 'G' ? 1 : c == 'B' ? 2 : -1;
    if (k < 0) continue;
    if (have_[k] || sets[k]) twice();
    sets[k] = have_[k] = true;
  }
  block.Rows = static_cast<std::size_t>(lut_.Size1D());
  block.Store = [this, r = sets[0], g = sets[1], b = sets[2]](std::size_t i, const double* v) {
    TLUTEntry& e = lut_.Data1D()[i];
    if (r) e.R = v[0];
    if (g) e.G = v[0];
    if (b) e.B = v[0];
  };
  return block;
}

void THdlReader::ReadBlock(THdlBlock& block) {
  double v[3];
  while (lines_.Next()) {
    std::string_view line = TrimRight(lines_.Line());
    const int n = lines_.Number();
    // The closing brace may follow the last values on their line.
    const bool closes = !line.empty() && line.back() == '}';
    if (closes) line = TrimRight(line.substr(0, line.size() - 1));
    if (!IsBlankLine(line)) {
      if (block.Read == block.Rows) RaiseExtraRow(block.Rows, n);
      ReadRowValues(line, v, block.PerRow, n);
      block.Store(block.Read++, v);
    }
    if (closes) {
      if (block.Read < block.Rows) {
        RaiseAtLine(ELUTError("The block \"" + block.Name + "\" holds " + std::to_string(block.Read) + " of " +
                              std::to_string(block.Rows) + " rows"),
                    n);
      }
      return;
    }
  }
  if (block.Read < block.Rows) RaiseTooFewRows(block.Read, block.Rows, lines_.Number());
  throw ELUTError("The block \"" + block.Name + "\" has no closing \"}\" (the file ends at line " +
                  std::to_string(lines_.Number()) + ")");
}

void THdlReader::Finish() {
  const bool cube_type = header_.Type == THdlType::Cube || header_.Type == THdlType::CubeWithPre;
  if (cube_type && !have_cube_) throw ELUTError("The \"3D\" block is missing");
  if (header_.Type == THdlType::CubeWithPre && !have_pre_) throw ELUTError("The \"Pre\" block is missing");
  if (!cube_type) {
    for (int c = 0; c < 3; ++c) {
      if (!have_[c]) throw ELUTError(std::string("The curve of the ") + (c == 0 ? "red" : c == 1 ? "green" : "blue") +
                                     " channel is missing");
    }
  }
  // The final stage's values are in the To range.
  const double lo = header_.To[0], span = header_.To[1] - header_.To[0];
  if (lo != 0.0 || span != 1.0) {
    TLUTEntry* e = cube_type ? lut_.Data3D() : lut_.Data1D();
    const std::size_t count = cube_type ? static_cast<std::size_t>(lut_.Size3D()) * lut_.Size3D() * lut_.Size3D()
                                        : static_cast<std::size_t>(lut_.Size1D());
    for (std::size_t i = 0; i < count; ++i) {
      for (int c = 0; c < 3; ++c) Channel(e[i], c) = (Channel(e[i], c) - lo) / span;
    }
  }
  const TLUTDomain from{TLUTEntry{header_.From[0], header_.From[0], header_.From[0]},
                        TLUTEntry{header_.From[1], header_.From[1], header_.From[1]}};
  // A pre-LUT that runs straight from 0 to 1 only maps From onto the cube:
  // that is the cube's domain.
  bool straight = header_.Type == THdlType::CubeWithPre && pre_.size() >= 2;
  for (std::size_t i = 0; straight && i < pre_.size(); ++i) {
    straight = std::fabs(pre_[i] - static_cast<double>(i) / static_cast<double>(pre_.size() - 1)) <= 1e-12;
  }
  if (header_.Type == THdlType::CubeWithPre && !straight) {
    lut_.Kind = TLUTKind::lk1DAnd3D;
    lut_.SetSize1D(static_cast<int>(pre_.size()));
    for (std::size_t i = 0; i < pre_.size(); ++i) lut_.Data1D()[i] = TLUTEntry{pre_[i], pre_[i], pre_[i]};
    lut_.Domain1D = from;
  } else if (cube_type) {
    lut_.Domain3D = from;
  } else {
    lut_.Domain1D = from;
  }
}

// ---------------------------------------------------------------------------
// The format

class THoudiniLutFormat : public TLUTFormat {
 public:
  THoudiniLutFormat() : TLUTFormat(TLUTFormatId::Houdini, "Houdini", true) {}

  // Type and Length lines before a line that is "LUT:" alone (the Codex 1D
  // files say "LUT:" too, followed by their sizes).
  bool CanRead(const TLUTSource& source) const override {
    TTextLines lines(source.Head());
    bool type = false, length = false;
    while (lines.Next()) {
      if (IsLutLine(lines.Line())) return type && length;
      const THdlLine h = SplitHeaderLine(lines.Line());
      type = type || h.Key == "TYPE";
      length = length || h.Key == "LENGTH";
    }
    return false;
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    THdlReader(source, lut).Read();
    RequireFiniteTables(lut);
    return {};
  }

  bool StatesDomain() const override { return true; }
  TShaper ShaperKind() const override { return TShaper::OneCurve; }
  TLUTDomain DomainToWrite(const TLUTDomain& input) const override { return OneRangeCovering(input); }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// The one input range a Houdini file states for all channels.
void RequireOneRange(const TLUTDomain& d) {
  if (!(d.Min.R == d.Min.G && d.Min.R == d.Min.B && d.Max.R == d.Max.G && d.Max.R == d.Max.B)) {
    throw ELUTError("A Houdini file states one input range for all channels; this LUT's channels have different ones.");
  }
}

void AddHeader(TFileText& text, int version, std::string_view type, const TLUTDomain& from, std::string_view length) {
  AddLine(text, "Version\t\t" + std::to_string(version));
  AddLine(text, "Format\t\tany");
  text.append("Type\t\t").append(type).append("\nFrom\t\t");
  AppendShortestDecimal(text, from.Min.R);
  text.push_back(' ');
  AppendShortestDecimal(text, from.Max.R);
  text.append("\nTo\t\t0 1\nBlack\t\t0\nWhite\t\t1\nLength\t\t").append(length).append("\nLUT:\n");
}

// A block of one value a line; a pre-LUT's values are written exact (they
// index the cube, where six decimals would move a lookup).
void AddValues(TFileText& text, std::string_view name, int count, const std::function<double(int)>& value,
               bool exact = false) {
  text.append(name).append(" {\n");
  for (int i = 0; i < count; ++i) {
    text.push_back('\t');
    if (exact) AppendShortestDecimal(text, value(i));
    else AppendFloatValue(text, kFloatDigits, value(i));
    text.push_back('\n');
  }
  AddLine(text, "}");
}

TFileText THoudiniLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  TFileText text;
  if (lut.Kind == TLUTKind::lk1D) {
    const int m = Writable1DSize(lut);
    RequireOneRange(lut.Domain1D);
    bool neutral = true;
    for (int i = 0; i < m && neutral; ++i) {
      const TLUTEntry& e = lut.Table1D(i);
      neutral = e.R == e.G && e.R == e.B;
    }
    AddHeader(text, 1, neutral ? "C" : "RGB", lut.Domain1D, std::to_string(m));
    if (neutral) {
      AddValues(text, "RGB", m, [&](int i) { return lut.Table1D(i).R; });
    } else {
      for (int c = 0; c < 3; ++c) {
        AddValues(text, c == 0 ? "R" : c == 1 ? "G" : "B", m, [&](int i) { return Channel(lut.Table1D(i), c); });
      }
    }
    return text;
  }
  const int n = WritableGridSize(lut);
  const std::string ns = std::to_string(n);
  if (lut.Kind == TLUTKind::lk1DAnd3D) {
    // One pre-LUT curve for all channels, whose outputs index the cube 0..1.
    const int m = Writable1DSize(lut);
    RequireOneRange(lut.Domain1D);
    RequireOneRange(lut.Domain3D);
    const double lo = lut.Domain3D.Min.R, span = lut.Domain3D.Max.R - lut.Domain3D.Min.R;
    for (int i = 0; i < m; ++i) {
      const TLUTEntry& e = lut.Table1D(i);
      if (e.R != e.G || e.R != e.B) throw ELUTError("A Houdini pre-LUT is one curve for all channels; this LUT's differ.");
    }
    AddHeader(text, 3, "3D+1D", lut.Domain1D, ns + " " + std::to_string(m));
    AddValues(text, "Pre", m, [&](int i) { return (lut.Table1D(i).R - lo) / span; }, true);
  } else if (lut.Domain3D.IsUnit()) {
    AddHeader(text, 2, "3D", lut.Domain3D, ns);
  } else {
    // The input range goes in a straight pre-LUT, which every reader applies.
    RequireOneRange(lut.Domain3D);
    AddHeader(text, 3, "3D+1D", lut.Domain3D, ns + " 2");
    AddValues(text, "Pre", 2, [](int i) { return static_cast<double>(i); });
  }
  AddLine(text, "3D {");
  const std::size_t rows = static_cast<std::size_t>(n) * n * n;
  for (std::size_t i = 0; i < rows; ++i) {
    text.push_back('\t');
    AppendFloatTriple(text, lut.Data3D()[i]);
    text.push_back('\n');
  }
  AddLine(text, "}");
  return text;
}

}  // namespace

void AddHoudiniFormats(TFormatList& formats) { formats.push_back(std::make_unique<THoudiniLutFormat>()); }

}  // namespace zelvo
