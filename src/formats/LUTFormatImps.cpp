#include "formats/LUTFormatImps.h"

#include <cmath>

#include "formats/CDLFormat.h"
#include "formats/ClipsterFormat.h"
#include "formats/CubeFormats.h"
#include "formats/Header1DFormats.h"
#include "formats/KeywordHeader3DFormats.h"
#include "formats/MeshFormats.h"
#include "formats/PlainRow1DFormats.h"
#include "formats/XMLFormats.h"

namespace zelvo {

namespace {

std::string_view FileNameOnly(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool HasExtension(const std::string& file_name, std::string_view extension) {
  const std::string_view name = FileNameOnly(file_name);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot);
  return ext.size() == extension.size() && PosNoCase(extension, ext) == 1;
}

std::string BaseNameOf(const std::string& file_name) {
  std::string_view name = FileNameOnly(file_name);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

void AppendFloatTriple(std::string& line, const TLUTEntry& e, char sep) {
  // Three values into one buffer and one append; values that need the general
  // formatting path go through AppendFloatValue.
  char buf[3 * (kMaxFastFloatChars + 1)];
  char* p = buf;
  const double values[3] = {e.R, e.G, e.B};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) *p++ = sep;
    if (!TryWriteFloatValueFast(p, kFloatDigits, values[i])) {
      line.append(buf, static_cast<std::size_t>(p - buf));
      p = buf;
      AppendFloatValue(line, kFloatDigits, values[i]);
    }
  }
  line.append(buf, static_cast<std::size_t>(p - buf));
}

void AppendIntTriple(std::string& line, const TLUTEntry& e, int bits, char sep) {
  AppendIntValue(line, bits, e.R);
  line.push_back(sep);
  AppendIntValue(line, bits, e.G);
  line.push_back(sep);
  AppendIntValue(line, bits, e.B);
}

void AddCommentLines(TTextFile& file, const TLUT& lut) {
  for (const std::string& c : lut.Comments) file.Add("# " + c);
}

void AddFloatRowsRedFastest(TTextFile& file, const TLUT& lut, int n) {
  const std::size_t rows = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  file.Reserve(rows, rows * 27);  // "0.000000 0.000000 0.000000"
  std::string row;
  ForEachRedFastest(n, [&](int r, int g, int b) {
    row.clear();
    AppendFloatTriple(row, lut.Table3D(r, g, b));
    file.Add(row);
  });
}

void AddFloatRows1D(TTextFile& file, const TLUT& lut, int m) {
  file.Reserve(static_cast<std::size_t>(m), static_cast<std::size_t>(m) * 27);
  std::string row;
  for (int i = 0; i < m; ++i) {
    row.clear();
    AppendFloatTriple(row, lut.Table1D(i));
    file.Add(row);
  }
}

int WritableGridSize(const TLUT& lut) {
  CheckGridSize(lut.Size3D);
  return lut.Size3D;
}

int Writable1DSize(const TLUT& lut) {
  Check1DSize(lut.Size1D);
  return lut.Size1D;
}

int CountFloatTripleLines(const TTextFile& lines) {
  int count = 0;
  double r, g, b;
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    if (ReadFloatTriple(lines[i], r, g, b)) ++count;
  }
  return count;
}

int GridSizeFromRowCount(long long rows) {
  return static_cast<int>(std::llround(std::cbrt(static_cast<double>(rows))));
}

// The registry order is behaviour: detection takes the first format that accepts
// a file, and the index identifies the format everywhere.
void CreateLUTFormats(std::vector<std::unique_ptr<TLUTFormat>>& f) {
  f.push_back(std::make_unique<TCube3DTruelightLutFormat>());   // 0
  f.push_back(std::make_unique<TCube3DLutFormat>());            // 1
  f.push_back(std::make_unique<TLustre3DLutFormat>());          // 2
  f.push_back(std::make_unique<TPandora3DLutFormat>());         // 3
  f.push_back(std::make_unique<T3dlLutFormat>());               // 4
  f.push_back(std::make_unique<TNucoda3DLutFormat>());          // 5
  f.push_back(std::make_unique<TCodex3DLutFormat>());           // 6
  f.push_back(std::make_unique<TCube1DLutFormat>());            // 7
  f.push_back(std::make_unique<TClipster3DLutFormat>());        // 8
  f.push_back(std::make_unique<TLuther3DLutFormat>());          // 9
  f.push_back(std::make_unique<TColorFrontOSD3DLutFormat>());   // 10
  f.push_back(std::make_unique<TDavinciDat3DLutFormat>());      // 11
  f.push_back(std::make_unique<TQuantel3DLutFormat>());         // 12
  f.push_back(std::make_unique<TCodex1DLutFormat>());           // 13
  f.push_back(std::make_unique<TLustre1DLutFormat>());          // 14
  f.push_back(std::make_unique<TFilmlight1DLutFormat>());       // 15
  f.push_back(std::make_unique<TQuantel1DLutFormat>());         // 16
  f.push_back(std::make_unique<TStwo1DLutFormat>());            // 17
  f.push_back(std::make_unique<TNucoda1DLutWriterFormat>());    // 18
  f.push_back(std::make_unique<TColorFrontOSD1DLutFormat>());   // 19
  f.push_back(std::make_unique<TFusion1DLutFormat>());          // 20
  f.push_back(std::make_unique<TBlackmagic1DLutFormat>());      // 21
  f.push_back(std::make_unique<TCinetal1DLutFormat>());         // 22
  f.push_back(std::make_unique<TShake1DLutFormat>());           // 23
  f.push_back(std::make_unique<TDavinciILut1DLutFormat>());     // 24
  f.push_back(std::make_unique<TDavinciOLut1DLutFormat>());     // 25
  f.push_back(std::make_unique<TSpeedgradeLook3DLutFormat>());  // 26
  f.push_back(std::make_unique<TASC_CDL_Format>());             // 27
  f.push_back(std::make_unique<TPFClean3D_Format>());           // 28
}

void CreateOutputProfiles(std::vector<std::unique_ptr<TLutOutputProfile>>& p) {
  // caption, extension, format index, default size, default bits, size and bits selectable
  AddOutputProfile(p, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", 4, 17, 12, false, false);
  AddOutputProfile(p, "3DL Fusion", "3dl", 4, 33, 12, false, false);
  AddOutputProfile(p, "Autodesk Lustre 3D", "lut", 2, 33, 12, false, false);
  AddOutputProfile(p, "Clipster 3D", "txt", 8, 17, 16, false, false);
  AddOutputProfile(p, "Codex 3D", "txt", 6, 17, 12, false, false);
  AddOutputProfile(p, "Colorfront OSD 3D", "3dmesh", 10, 17, 0, false, false);
  AddOutputProfile(p, "Cube 3D Iridas, Nuke, AfterEffects", "cube", 1, 32, 0, false, false);
  AddOutputProfile(p, "Cube 3D Davinci", "cube", 1, 33, 0, true, false);
  AddOutputProfile(p, "Cube 3D Truelight", "cube", 0, 32, 0, false, false);
  AddOutputProfile(p, "Davinci DAT 3D", "dat", 11, 33, 0, false, false);
  AddOutputProfile(p, "Nucoda 3D", "cms", 5, 33, 0, true, false);
  AddOutputProfile(p, "Luther 3D", "txt", 9, 33, 10, false, false);
  AddOutputProfile(p, "Pandora 3D, Apple 3D m3d", "m3d", 3, 17, 16, false, false);
  AddOutputProfile(p, "PixelFarm PFClean 3D", "pfl", 28, 16, 8, false, false);
  AddOutputProfile(p, "Quantel 3D", "txt", 12, 17, 12, false, false);
  AddOutputProfile(p, "Technicolor 3D mga", "mga", 3, 33, 16, false, false);
  AddOutputProfile(p, "Autodesk Lustre 1D", "lut", 14, 65536, 16, true, true);
  AddOutputProfile(p, "Blackmagic HDLink 1D", "txt", 21, 1024, 0, false, false);
  AddOutputProfile(p, "Cine-tal 1D", "txt", 22, 1024, 10, false, false);
  AddOutputProfile(p, "Codex 1D, Sony SRW-1, Scratch 1D", "dat", 13, 1024, 10, false, false);
  AddOutputProfile(p, "Colorfront OSD 1D", "1dlut", 19, 1024, 0, false, false);
  AddOutputProfile(p, "Cube 1D", "cube", 7, 4096, 0, false, false);
  AddOutputProfile(p, "Filmlight Truelight 1D", "cube", 15, 4096, 0, false, false);
  AddOutputProfile(p, "Fusion 1D", "alut", 20, 65536, 16, false, false);
  AddOutputProfile(p, "Nucoda 1D", "cms", 18, 4096, 0, false, false);
  AddOutputProfile(p, "Quantel 1D", "txt", 16, 1024, 10, false, false);
  AddOutputProfile(p, "S.two 1D", "swto.xml", 17, 1024, 10, false, false);
  AddOutputProfile(p, "Shake 1D", "txt", 23, 65536, 16, false, false);
}

void AddIntRowsBlueFastest(TTextFile& file, const TLUT& lut, int n, int bits) {
  const std::size_t rows = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::size_t digits = std::to_string(QuantizeValue(bits, 1.0)).size();
  file.Reserve(rows, rows * (3 * digits + 2));
  std::string row;
  ForEachBlueFastest(n, [&](int r, int g, int b) {
    row.clear();
    AppendIntTriple(row, lut.Table3D(r, g, b), bits);
    file.Add(row);
  });
}

void AddFloatRowsBGRRedFastest(TTextFile& file, const TLUT& lut, int n) {
  const std::size_t rows = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  file.Reserve(rows, rows * 27);  // "0.000000 0.000000 0.000000"
  std::string row;
  ForEachRedFastest(n, [&](int r, int g, int b) {
    const TLUTEntry& e = lut.Table3D(r, g, b);
    row.clear();
    AppendFloatTriple(row, TLUTEntry{e.B, e.G, e.R});
    file.Add(row);
  });
}

int WritableBits(int bits, int max_bits) {
  if (bits < 1 || bits > max_bits) {
    throw ELUTError("A bit depth of " + std::to_string(bits) + " is not supported by this format (1 to " +
                    std::to_string(max_bits) + " bits).");
  }
  return bits;
}

void RaiseBadHeaderValue(std::string_view header, std::string_view rule) {
  throw ELUTError("The header value \"" + std::string(Trim(header)) + "\" is not supported (" + std::string(rule) +
                  ").");
}

namespace {

// The next field of a row: blanks before it are skipped, it ends at the next
// tab, blank or comma.
std::string_view TakeField(std::string_view& rest) {
  rest = TrimLeft(rest);
  return Trim(NextField(rest));
}

bool ScaledInt(std::string_view field, double divisor, double& out) {
  int v = 0;
  if (!TryParseInt(field, v)) return false;
  out = static_cast<double>(v) / divisor;
  return true;
}

}  // namespace

bool ReadLeadingIntTriple(std::string_view line, int divisor, double& r, double& g, double& b) {
  const double d = divisor;
  return ScaledInt(TakeField(line), d, r) && ScaledInt(TakeField(line), d, g) && ScaledInt(TakeField(line), d, b);
}

bool ReadIndexedIntTriple(std::string_view line, int divisor, double& r, double& g, double& b) {
  const double d = divisor;
  double vr = 0, vg = 0, vb = 0;
  TakeField(line);
  if (!ScaledInt(TakeField(line), d, vr)) return false;
  TakeField(line);
  if (!ScaledInt(TakeField(line), d, vg)) return false;
  TakeField(line);
  if (!ScaledInt(Trim(line), d, vb)) return false;
  r = vr;
  g = vg;
  b = vb;
  return true;
}

void AppendRow1D(TLUT& lut, int& count, double r, double g, double b) {
  if (count < 0 || count >= kMax1DSize) Check1DSize(static_cast<long long>(count) + 1);
  lut.Table1D(count++) = TLUTEntry{r, g, b};
}

void AddIntRows1D(TTextFile& file, const TLUT& lut, int m, int bits) {
  file.Reserve(static_cast<std::size_t>(m), static_cast<std::size_t>(m) * 18);  // "65535 65535 65535"
  std::string row;
  for (int i = 0; i < m; ++i) {
    row.clear();
    AppendIntTriple(row, lut.Table1D(i), bits);
    file.Add(row);
  }
}

}  // namespace zelvo
