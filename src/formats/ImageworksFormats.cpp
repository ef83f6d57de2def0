// The Sony Imageworks formats. A 1D table, .spi1d:
//
//   Version 1
//   From -0.125 1.125          <- the input range (optional, 0 1 by default)
//   Length 4096
//   Components 1               <- 1 (one curve for all channels) or 3
//   {
//       0.000000               <- Length rows of Components values
//       ...
//   }
//
// A 3D table, .spi3d, whose rows name their grid point, in any order:
//
//   SPILUT 1.0
//   3 3                        <- three inputs, three outputs
//   17 17 17                   <- points per axis, red green blue (may differ)
//   0 0 0 0.0 0.0 0.0          <- red, green, blue index; red, green, blue value
//   0 0 1 0.0 0.0 0.0625
//
// A matrix, .spimtx: twelve numbers, the rows of a 3x4 matrix whose last
// column is an offset in 16-bit codes (divided by 65535).
//
//   0.754338638 0.133697046 0.111968437 0
//   0.021198141 1.005410934 -0.026610548 0
//   -0.009756991 0.004508563 1.005253201 0
//
// In all three, lines starting with '#' are comments.
#include <cmath>
#include <string>
#include <vector>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/TableSupport.h"
#include "formats/ReadErrors.h"
#include "formats/StrictText.h"

namespace zelvo {

namespace {

// The first word of a line and the rest after it, both trimmed.
struct TKeyLine {
  std::string_view Key;
  std::string_view Rest;
};

TKeyLine KeyOf(std::string_view line) {
  std::string_view t = Trim(line);
  std::size_t i = 0;
  while (i < t.size() && !IsBlank(t[i])) ++i;
  return TKeyLine{t.substr(0, i), Trim(t.substr(i))};
}

bool IsKey(const TKeyLine& k, std::string_view name) {
  return k.Key.size() == name.size() && PosNoCase(name, k.Key) == 1;
}

// A one-range domain for all channels, which is all that spi1d files state.
TLUTDomain UniformDomain(double min, double max) {
  return TLUTDomain{TLUTEntry{min, min, min}, TLUTEntry{max, max, max}};
}

// ---------------------------------------------------------------------------
// spi1d

class TSpi1DLutFormat : public TLUTFormat {
 public:
  TSpi1DLutFormat() : TLUTFormat(TLUTFormatId::Spi1D, "Sony Imageworks 1D", false) {}

  // The Version, Length and Components lines before the "{" line.
  bool CanRead(const TLUTSource& source) const override {
    TTextLines lines(source.Head());
    bool version = false, length = false, components = false;
    while (lines.Next()) {
      const TKeyLine k = KeyOf(lines.Line());
      if (k.Key.starts_with('{')) return version && length && components;
      version = version || IsKey(k, "Version");
      length = length || IsKey(k, "Length");
      components = components || IsKey(k, "Components");
    }
    return false;
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  bool StatesDomain() const override { return true; }
  TLUTDomain DomainToWrite(const TLUTDomain& input) const override { return OneRangeCovering(input); }
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// The single integer after a header keyword.
int HeaderInt(const TKeyLine& k, std::string_view line, int line_number) {
  std::string_view field;
  if (SplitFields(k.Rest, &field, 1) != 1) RaiseAtLine(ELUTError(QuotedRow(line) + " needs one number"), line_number);
  return IntField(field, line_number);
}

TLoadInfo TSpi1DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TTextLines lines(source.Text());
  long long length = -1;
  int components = -1, version = -1;
  double from = 0.0, to = 1.0;
  bool open = false;
  while (!open && lines.Next()) {
    const std::string_view line = lines.Line();
    const int n = lines.Number();
    const TKeyLine k = KeyOf(line);
    if (k.Key.starts_with('#')) {
      lut.Comments.emplace_back(CommentText(line));
    } else if (k.Key.starts_with('{')) {
      open = true;
    } else if (IsKey(k, "Version")) {
      version = HeaderInt(k, line, n);
      if (version != 1) RaiseAtLine(ELUTError("Only version 1 of the format is read"), n);
    } else if (IsKey(k, "Length")) {
      const int value = HeaderInt(k, line, n);
      if (length >= 0 && value != length) RaiseSizeChanged(length, value, n);
      AtLine(n, [&] { Check1DSize(value); });
      length = value;
    } else if (IsKey(k, "Components")) {
      components = HeaderInt(k, line, n);
      if (components != 1 && components != 3) {
        AtLine(n, [&] { RaiseBadHeaderValue(line, "1 or 3 components are read"); });
      }
    } else if (IsKey(k, "From")) {
      std::string_view f[2];
      AtLine(n, [&] {
        if (SplitFields(k.Rest, f, 2) != 2) RaiseBadHeaderValue(line, "two numbers are expected");
        from = StrToFloat(f[0]);
        to = StrToFloat(f[1]);
        if (!(to > from)) RaiseBadHeaderValue(line, "the maximum must be above the minimum");
      });
    }
  }
  for (const auto& [value, key] : {std::pair{version >= 0, "Version"}, std::pair{length >= 0, "Length"},
                                   std::pair{components >= 0, "Components"}}) {
    if (!value) throw ELUTError(std::string("The \"") + key + "\" line is missing");
  }
  const auto rows = static_cast<std::size_t>(length);
  CheckRowsFit(source.Bytes().size(), rows, 2 * static_cast<std::size_t>(components));
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(static_cast<int>(length));
  lut.Domain1D = UniformDomain(from, to);
  std::size_t read = 0;
  bool closed = false;
  double v[3];
  while (lines.Next()) {
    const std::string_view line = lines.Line();
    const int n = lines.Number();
    if (IsBlankLine(line)) continue;
    if (closed) {
      // After the table: comments, and text other tools leave there.
      if (IsCommentLine(line)) lut.Comments.emplace_back(CommentText(line));
      else if (StartsLikeNumber(line)) RaiseExtraRow(rows, n);
      continue;
    }
    if (Trim(line) == "}") {
      closed = true;
      continue;
    }
    if (read == rows) RaiseExtraRow(rows, n);
    ReadRowValues(line, v, components, n);
    lut.Table1D(static_cast<int>(read++)) = components == 1 ? TLUTEntry{v[0], v[0], v[0]} : TLUTEntry{v[0], v[1], v[2]};
  }
  if (read < rows) RaiseTooFewRows(read, rows, lines.Number());
  return {};
}

TFileText TSpi1DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int m = Writable1DSize(lut);
  const TLUTDomain& d = lut.Domain1D;
  if (UniformDomain(d.Min.R, d.Max.R) != d) {
    throw ELUTError("A spi1d file states one input range for all channels; this LUT's channels have different ones.");
  }
  bool neutral = true;
  for (int i = 0; i < m && neutral; ++i) {
    const TLUTEntry& e = lut.Table1D(i);
    neutral = e.R == e.G && e.R == e.B;
  }
  TFileText text;
  AddCommentLines(text, lut);
  AddLine(text, kConvertedByLine);
  AddLine(text, "Version 1");
  text.append("From ");
  AppendShortestDecimal(text, d.Min.R);
  text.push_back(' ');
  AppendShortestDecimal(text, d.Max.R);
  text.push_back('\n');
  AddLine(text, "Length " + std::to_string(m));
  AddLine(text, neutral ? "Components 1" : "Components 3");
  AddLine(text, "{");
  for (int i = 0; i < m; ++i) {
    text.append("    ");
    if (neutral) AppendFloatValue(text, kFloatDigits, lut.Table1D(i).R);
    else AppendFloatTriple(text, lut.Table1D(i));
    text.push_back('\n');
  }
  AddLine(text, "}");
  return text;
}

// ---------------------------------------------------------------------------
// spi3d

class TSpi3DLutFormat : public TLUTFormat {
 public:
  TSpi3DLutFormat() : TLUTFormat(TLUTFormatId::Spi3D, "Sony Imageworks 3D", true) {}

  bool CanRead(const TLUTSource& source) const override {
    TTextLines lines(source.Head());
    while (lines.Next()) {
      if (!IsBlankLine(lines.Line())) return StartsWithNoCase(lines.Line(), "SPILUT");
    }
    return false;
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// The next line that is neither blank nor a comment (comments are kept).
bool NextHeaderLine(TTextLines& lines, TLUT& lut) {
  while (lines.Next()) {
    if (IsCommentLine(lines.Line())) lut.Comments.emplace_back(CommentText(lines.Line()));
    else if (!IsBlankLine(lines.Line())) return true;
  }
  return false;
}

[[noreturn]] void RaiseHeaderMissing(const TTextLines& lines, const char* what) {
  throw ELUTError("Incomplete file (the file ends at line " + std::to_string(lines.Number()) + ", before " + what +
                  ")");
}

TLoadInfo TSpi3DLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  TTextLines lines(source.Text());
  if (!NextHeaderLine(lines, lut)) RaiseHeaderMissing(lines, "\"SPILUT\"");
  if (!StartsWithNoCase(lines.Line(), "SPILUT")) {
    RaiseAtLine(ELUTError("The file does not start with \"SPILUT\""), lines.Number());
  }
  if (!NextHeaderLine(lines, lut)) RaiseHeaderMissing(lines, "the line of inputs and outputs");
  double dims[2];
  ReadRowValues(lines.Line(), dims, 2, lines.Number());
  if (dims[0] != 3 || dims[1] != 3) {
    AtLine(lines.Number(), [&] { RaiseBadHeaderValue(lines.Line(), "three inputs and three outputs are read"); });
  }
  if (!NextHeaderLine(lines, lut)) RaiseHeaderMissing(lines, "the table's size");
  std::string_view fields[6];
  int sizes[3];
  if (SplitFields(lines.Line(), fields, 3) != 3) RaiseBadRow(lines.Line(), 3, lines.Number());
  for (int i = 0; i < 3; ++i) {
    sizes[i] = IntField(fields[i], lines.Number());
    AtLine(lines.Number(), [&] { CheckGridSize(sizes[i]); });
  }
  const std::size_t rows = static_cast<std::size_t>(sizes[0]) * static_cast<std::size_t>(sizes[1]) *
                           static_cast<std::size_t>(sizes[2]);
  CheckRowsFit(source.Bytes().size(), rows, 12);
  lut.Kind = TLUTKind::lk3D;
  TGridTable grid(lut, sizes[0], sizes[1], sizes[2]);
  std::vector<bool> given(rows);
  std::size_t read = 0;
  while (lines.Next()) {
    const std::string_view line = lines.Line();
    const int n = lines.Number();
    if (IsBlankLine(line)) continue;
    if (IsCommentLine(line)) {
      lut.Comments.emplace_back(CommentText(line));
      continue;
    }
    if (read == rows) RaiseExtraRow(rows, n);
    if (SplitFields(line, fields, 6) != 6) RaiseBadRow(line, 6, n);
    int index[3];
    for (int i = 0; i < 3; ++i) index[i] = IntField(fields[i], n);
    const TLUTEntry value{FloatField(fields[3], n), FloatField(fields[4], n), FloatField(fields[5], n)};
    const std::string point =
        std::to_string(index[0]) + " " + std::to_string(index[1]) + " " + std::to_string(index[2]);
    for (int i = 0; i < 3; ++i) {
      if (index[i] < 0 || index[i] >= sizes[i]) {
        RaiseAtLine(ELUTError("The grid point " + point + " is outside the grid of " + std::to_string(sizes[0]) +
                              " x " + std::to_string(sizes[1]) + " x " + std::to_string(sizes[2]) + " points"),
                    n);
      }
    }
    const std::size_t at = (static_cast<std::size_t>(index[2]) * static_cast<std::size_t>(sizes[1]) +
                            static_cast<std::size_t>(index[1])) * static_cast<std::size_t>(sizes[0]) +
                           static_cast<std::size_t>(index[0]);
    if (given[at]) RaiseAtLine(ELUTError("The grid point " + point + " is given twice"), n);
    given[at] = true;
    grid.At(index[0], index[1], index[2]) = value;
    ++read;
  }
  if (read < rows) RaiseTooFewRows(read, rows, lines.Number());
  grid.Finish();
  return {};
}

TFileText TSpi3DLutFormat::Save(const TLUT& lut, int, std::string_view) const {
  const int n = WritableGridSize(lut);
  const std::string ns = std::to_string(n);
  TFileText text;
  AddLine(text, "SPILUT 1.0");
  AddLine(text, "3 3");
  AddLine(text, ns + " " + ns + " " + ns);
  text.reserve(text.size() + static_cast<std::size_t>(n) * n * n * 40);
  ForEachBlueFastest(n, [&](int r, int g, int b) {
    AppendInt(text, r);
    text.push_back(' ');
    AppendInt(text, g);
    text.push_back(' ');
    AppendInt(text, b);
    text.push_back(' ');
    AppendFloatTriple(text, lut.Table3D(r, g, b));
    text.push_back('\n');
  });
  AddCommentLines(text, lut);
  AddLine(text, kConvertedByLine);
  return text;
}

// ---------------------------------------------------------------------------
// spimtx (read only)

class TSpiMtxLutFormat : public TLUTFormat {
 public:
  TSpiMtxLutFormat() : TLUTFormat(TLUTFormatId::SpiMtx, "Sony Imageworks matrix", true) {}
  // The file holds numbers only: its name tells it.
  bool CanRead(const TLUTSource& source) const override { return source.HasExtension(".spimtx"); }
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  bool CanSave() const override { return false; }
  TFileText Save(const TLUT&, int, std::string_view) const override { RaiseReadOnly(*this); }
};

TLoadInfo TSpiMtxLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  constexpr int kValues = 12;
  double m[kValues];
  int count = 0;
  TTextLines lines(source.Text());
  while (lines.Next()) {
    if (IsCommentLine(lines.Line())) {
      lut.Comments.emplace_back(CommentText(lines.Line()));
      continue;
    }
    std::string_view rest = lines.Line();
    std::string_view field;
    while (SplitFields(rest, &field, 1) > 0) {
      if (count == kValues) RaiseAtLine(ELUTError("Too many numbers (a matrix file holds 12)"), lines.Number());
      m[count++] = FloatField(field, lines.Number());
      rest = rest.substr(static_cast<std::size_t>(field.data() + field.size() - rest.data()));
    }
  }
  if (count < kValues) {
    throw ELUTError("Incomplete file (" + std::to_string(count) + " of 12 numbers; the file ends at line " +
                    std::to_string(lines.Number()) + ")");
  }
  // An affine map is trilinear itself: the cube of its 8 corners reproduces
  // it exactly between them.
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(2);
  ForEachRedFastest(2, [&](int r, int g, int b) {
    TLUTEntry& e = lut.Table3D(r, g, b);
    for (int c = 0; c < 3; ++c) Channel(e, c) = m[4 * c] * r + m[4 * c + 1] * g + m[4 * c + 2] * b + m[4 * c + 3] / 65535.0;
  });
  lut.Comments.push_back("The 3x4 matrix is held as a cube of 2 points over 0..1, which reproduces it exactly there; "
                         "inputs outside 0..1 are clamped.");
  RequireFiniteTables(lut);
  return {};
}

}  // namespace

void AddImageworksFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TSpi1DLutFormat>());
  formats.push_back(std::make_unique<TSpi3DLutFormat>());
  formats.push_back(std::make_unique<TSpiMtxLutFormat>());
}

}  // namespace zelvo
