// Nuke vector fields, .vf (read only):
//
//   #Inventor V2.1 ascii               <- the first line
//   grid_size 17 17 17                 <- points per axis, red green blue (may differ)
//   global_transform 1 0 0 0  0 1 0 0  0 0 1 0  0 0 0 1    <- optional 4x4, rows
//   data
//   0.0 0.0 0.0                        <- rows of three values, blue fastest
//   0.0 0.0 0.0625
//
// The global transform maps a colour (r, g, b, 1) onto the grid before the
// lookup; its first three columns are stored divided by the grid size, as
// OpenColorIO reads them. Other header lines are passed over; lines starting
// with '#' are comments.
#include <cmath>
#include <string>

#include "formats/Families.h"
#include "formats/LUTFormatImps.h"
#include "formats/TableSupport.h"
#include "formats/ReadErrors.h"
#include "formats/StrictText.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

constexpr std::string_view kMagic = "#Inventor";

class TNukeVFReader {
 public:
  TNukeVFReader(const TLUTSource& source, TLUT& lut) : source_(source), lut_(lut), lines_(source.Text()) {}
  void Read();

 private:
  void ReadHeader();
  void ApplyTransform();

  const TLUTSource& source_;
  TLUT& lut_;
  TTextLines lines_;
  int sizes_[3] = {-1, -1, -1};
  bool has_transform_ = false;
  double m_[16] = {};
};

void TNukeVFReader::ReadHeader() {
  while (lines_.Next()) {
    if (!IsBlankLine(lines_.Line())) break;
  }
  if (!StartsWithNoCase(lines_.Line(), kMagic)) {
    RaiseAtLine(ELUTError("The file does not start with \"#Inventor\""), lines_.Number());
  }
  while (lines_.Next()) {
    const std::string_view line = lines_.Line();
    const int n = lines_.Number();
    if (IsCommentLine(line)) {
      lut_.Comments.emplace_back(CommentText(line));
      continue;
    }
    std::string_view f[18];
    const int count = SplitFields(line, f, 18);
    if (count == 0) continue;
    const std::string key = UpperCase(f[0]);
    if (key == "DATA") {
      if (sizes_[0] < 0) RaiseAtLine(ELUTError("The \"grid_size\" line is missing before \"data\""), n);
      return;
    }
    if (key == "GRID_SIZE") {
      if (count != 4) AtLine(n, [&] { RaiseBadHeaderValue(line, "three sizes are expected"); });
      for (int i = 0; i < 3; ++i) {
        const int size = IntField(f[i + 1], n);
        if (sizes_[i] >= 0 && sizes_[i] != size) RaiseSizeChanged(sizes_[i], size, n);
        AtLine(n, [&] { CheckGridSize(size); });
        sizes_[i] = size;
      }
    } else if (key == "GLOBAL_TRANSFORM") {
      if (count != 17) AtLine(n, [&] { RaiseBadHeaderValue(line, "16 numbers are expected"); });
      for (int i = 0; i < 16; ++i) m_[i] = FloatField(f[i + 1], n);
      has_transform_ = true;
    }
  }
  throw ELUTError("Incomplete file (the file ends at line " + std::to_string(lines_.Number()) +
                  ", before the \"data\" line)");
}

void TNukeVFReader::Read() {
  ReadHeader();
  const std::size_t rows = static_cast<std::size_t>(sizes_[0]) * static_cast<std::size_t>(sizes_[1]) *
                           static_cast<std::size_t>(sizes_[2]);
  CheckRowsFit(source_.Bytes().size(), rows, 6);
  lut_.Kind = TLUTKind::lk3D;
  TGridTable grid(lut_, sizes_[0], sizes_[1], sizes_[2]);
  std::size_t read = 0;
  int r = 0, g = 0, b = 0;
  double v[3];
  while (lines_.Next()) {
    const std::string_view line = lines_.Line();
    if (IsBlankLine(line)) continue;
    if (IsCommentLine(line)) {
      lut_.Comments.emplace_back(CommentText(line));
      continue;
    }
    if (read == rows) RaiseExtraRow(rows, lines_.Number());
    ReadRowValues(line, v, 3, lines_.Number());
    grid.At(r, g, b) = TLUTEntry{v[0], v[1], v[2]};
    ++read;
    if (++b < sizes_[2]) continue;
    b = 0;
    if (++g < sizes_[1]) continue;
    g = 0;
    ++r;
  }
  if (read < rows) RaiseTooFewRows(read, rows, lines_.Number());
  grid.Finish();
  if (has_transform_) ApplyTransform();
}

void TNukeVFReader::ApplyTransform() {
  // The map onto the grid's 0..1: row c of the 3x3 part, with its columns
  // scaled back by the grid sizes, and the translation of column 4.
  double a[3][3], t[3];
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) a[c][k] = m_[4 * c + k] * sizes_[k];
    t[c] = m_[4 * c + 3];
  }
  const bool diagonal = a[0][1] == 0 && a[0][2] == 0 && a[1][0] == 0 && a[1][2] == 0 && a[2][0] == 0 &&
                        a[2][1] == 0 && a[0][0] > 0 && a[1][1] > 0 && a[2][2] > 0;
  if (diagonal) {
    // A scale and an offset per channel: exactly an input domain.
    for (int c = 0; c < 3; ++c) {
      Channel(lut_.Domain3D.Min, c) = 0.0 - t[c] / a[c][c];  // 0, not -0, without an offset
      Channel(lut_.Domain3D.Max, c) = (1.0 - t[c]) / a[c][c];
    }
    if (lut_.Domain3D.IsValid()) return;
    lut_.Domain3D = TLUTDomain{};
  }
  // A transform that mixes channels: the table is sampled through it.
  TLUT source = lut_.Copy();
  BakeLUT(lut_, [&](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      TColor p;
      for (int c = 0; c < 3; ++c) {
        Channel(p, c) = a[c][0] * in[i].R + a[c][1] * in[i].G + a[c][2] * in[i].B + t[c];
      }
      out[i] = EvaluateLUT(source, p);
    }
  });
  lut_.Comments.push_back("The global transform mixes the channels: the table is sampled through it at its " +
                          std::to_string(lut_.Size3D()) + " points per axis (exact there only).");
}

class TNukeVFLutFormat : public TLUTFormat {
 public:
  TNukeVFLutFormat() : TLUTFormat(TLUTFormatId::NukeVF, "Nuke vector field", true) {}

  bool CanRead(const TLUTSource& source) const override {
    TTextLines lines(source.Head());
    bool first = true, grid = false;
    while (lines.Next()) {
      if (IsBlankLine(lines.Line())) continue;
      if (first && !StartsWithNoCase(lines.Line(), kMagic)) return false;
      first = false;
      grid = grid || StartsWithNoCase(lines.Line(), "grid_size");
    }
    return grid;
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    TNukeVFReader(source, lut).Read();
    RequireFiniteTables(lut);
    return {};
  }

  bool CanSave() const override { return false; }
  TFileText Save(const TLUT&, int, std::string_view) const override { RaiseReadOnly(*this); }
};

}  // namespace

void AddNukeVectorFieldFormats(TFormatList& formats) { formats.push_back(std::make_unique<TNukeVFLutFormat>()); }

}  // namespace zelvo
