#include "formats/LUTFormatImps.h"

#include <algorithm>
#include <vector>

#include "formats/ReadErrors.h"

#include <cmath>

#include "base/TextFile.h"

namespace zelvo {

namespace {

constexpr std::size_t kFloatRowChars = 27;  // "0.000000 0.000000 0.000000"

std::size_t Cube(int n) {
  const auto s = static_cast<std::size_t>(n);
  return s * s * s;
}

// Writes "r g b" at p (room for 3 * (kMaxFastFloatChars + 1) characters) and
// returns the end; false when a value needs the general formatting path.
bool WriteFloatTriple(char*& p, const TLUTEntry& e, char sep) {
  char* q = p;
  if (!TryWriteFloatValueFast(q, kFloatDigits, e.R)) return false;
  *q++ = sep;
  if (!TryWriteFloatValueFast(q, kFloatDigits, e.G)) return false;
  *q++ = sep;
  if (!TryWriteFloatValueFast(q, kFloatDigits, e.B)) return false;
  p = q;
  return true;
}

// Rows are printed into a block on the stack and added to the text a block at
// a time, so that a million rows cost a few hundred appends.
class TRowPrinter {
 public:
  static constexpr std::size_t kMaxRow = 3 * (kMaxFastFloatChars + 1) + 1;

  explicit TRowPrinter(TFileText& text) : text_(text) {}
  TRowPrinter(const TRowPrinter&) = delete;
  TRowPrinter& operator=(const TRowPrinter&) = delete;

  // Room for one row of at most kMaxRow characters.
  char* Row() {
    if (static_cast<std::size_t>(buffer_ + sizeof buffer_ - end_) < kMaxRow) Flush();
    return end_;
  }
  void Done(char* row_end) { end_ = row_end; }
  // Everything printed so far goes to the text (before the text is written to
  // directly, and at the end).
  void Flush() {
    text_.append(buffer_, static_cast<std::size_t>(end_ - buffer_));
    end_ = buffer_;
  }

  // A float row and its line feed.
  void AddFloatRow(const TLUTEntry& e) {
    char* p = Row();
    if (WriteFloatTriple(p, e, ' ')) {
      *p++ = '\n';
      Done(p);
      return;
    }
    Flush();  // a value for the general path
    AppendFloatTriple(text_, e);
    text_.push_back('\n');
  }
  // Three codes, joined by `sep`, and a line feed; `prefix` (an index) first
  // when it is not negative.
  void AddIntRow(const TLUTEntry& e, int bits, char sep = ' ', std::int64_t prefix = -1) {
    char* p = Row();
    if (prefix >= 0) {
      p = WriteInt(p, prefix);
      *p++ = sep;
    }
    p = WriteInt(p, QuantizeValue(bits, e.R));
    *p++ = sep;
    p = WriteInt(p, QuantizeValue(bits, e.G));
    *p++ = sep;
    p = WriteInt(p, QuantizeValue(bits, e.B));
    *p++ = '\n';
    Done(p);
  }

 private:
  TFileText& text_;
  char buffer_[1 << 15];
  char* end_ = buffer_;
};

}  // namespace

void AddLine(TFileText& text, std::string_view line) {
  text.append(line);
  text.push_back('\n');
}

void AddCommentLines(TFileText& text, const TLUT& lut) {
  for (const std::string& c : lut.Comments) {
    text.append("# ");
    AddLine(text, c);
  }
}

void AppendFloatTriple(TFileText& line, const TLUTEntry& e, char sep) {
  char buf[3 * (kMaxFastFloatChars + 1)];
  char* p = buf;
  if (WriteFloatTriple(p, e, sep)) {
    line.append(buf, static_cast<std::size_t>(p - buf));
    return;
  }
  AppendFloatValue(line, kFloatDigits, e.R);
  line.push_back(sep);
  AppendFloatValue(line, kFloatDigits, e.G);
  line.push_back(sep);
  AppendFloatValue(line, kFloatDigits, e.B);
}

void AppendIntTriple(TFileText& line, const TLUTEntry& e, int bits, char sep) {
  AppendIntValue(line, bits, e.R);
  line.push_back(sep);
  AppendIntValue(line, bits, e.G);
  line.push_back(sep);
  AppendIntValue(line, bits, e.B);
}

void AddFloatRowsRedFastest(TFileText& text, const TLUT& lut, int n) {
  // Red fastest is the order of the table in memory.
  const std::size_t rows = Cube(n);
  text.reserve(text.size() + rows * (kFloatRowChars + 1));
  const TLUTEntry* e = lut.Data3D();
  TRowPrinter printer(text);
  for (std::size_t i = 0; i < rows; ++i) printer.AddFloatRow(e[i]);
  printer.Flush();
}

void AddFloatRowsBGRRedFastest(TFileText& text, const TLUT& lut, int n) {
  const std::size_t rows = Cube(n);
  text.reserve(text.size() + rows * (kFloatRowChars + 1));
  const TLUTEntry* e = lut.Data3D();
  TRowPrinter printer(text);
  for (std::size_t i = 0; i < rows; ++i) printer.AddFloatRow(TLUTEntry{e[i].B, e[i].G, e[i].R});
  printer.Flush();
}

void AddIntRowsBlueFastest(TFileText& text, const TLUT& lut, int n, int bits) {
  AddIndexedIntRowsBlueFastest(text, lut, n, bits, ' ', false);
}

void AddIndexedIntRowsBlueFastest(TFileText& text, const TLUT& lut, int n, int bits, char sep, bool index) {
  const std::size_t digits = std::to_string(QuantizeValue(bits, 1.0)).size() + 1;
  text.reserve(text.size() + Cube(n) * (3 * digits + (index ? 8 : 0)));
  TRowPrinter printer(text);
  std::int64_t row = 0;
  ForEachBlueFastest(n, [&](int r, int g, int b) {
    printer.AddIntRow(lut.Table3D(r, g, b), bits, sep, index ? row++ : -1);
  });
  printer.Flush();
}

void AddFloatRows1D(TFileText& text, const TLUT& lut, int m) {
  text.reserve(text.size() + static_cast<std::size_t>(m) * (kFloatRowChars + 1));
  TRowPrinter printer(text);
  for (int i = 0; i < m; ++i) printer.AddFloatRow(lut.Table1D(i));
  printer.Flush();
}

void AddIntRows1D(TFileText& text, const TLUT& lut, int m, int bits, bool index) {
  text.reserve(text.size() + static_cast<std::size_t>(m) * (index ? 24 : 18));  // "65535 65535 65535 65535\n"
  TRowPrinter printer(text);
  for (int i = 0; i < m; ++i) printer.AddIntRow(lut.Table1D(i), bits, ' ', index ? i : -1);
  printer.Flush();
}

int WritableGridSize(const TLUT& lut) {
  CheckGridSize(lut.Size3D());
  return lut.Size3D();
}

int Writable1DSize(const TLUT& lut) {
  Check1DSize(lut.Size1D());
  return lut.Size1D();
}

int WritableBits(int bits, int max_bits) {
  if (bits < 1 || bits > max_bits) {
    throw ELUTError("A bit depth of " + std::to_string(bits) + " is not supported by this format (1 to " +
                    std::to_string(max_bits) + " bits).");
  }
  return bits;
}

int CountFloatTripleLines(std::string_view text) {
  int count = 0;
  double r, g, b;
  ForEachLineIn(text, [&](std::string_view line) {
    if (ReadFloatTriple(line, r, g, b)) ++count;
    return false;
  });
  return count;
}

int GridSizeFromRowCount(long long rows) {
  return static_cast<int>(std::llround(std::cbrt(static_cast<double>(rows))));
}

int WholeGridSizeFromRowCount(long long rows) {
  long long n = GridSizeFromRowCount(rows);
  if (n * n * n == rows) return static_cast<int>(n);
  while (n > 2 && n * n * n > rows) --n;
  const auto points = static_cast<int>(std::max(n, 2LL));
  throw ELUTError("Incomplete file (" + std::to_string(rows) + " rows make no whole grid; " + std::to_string(points) +
                  " points take " + std::to_string(Cube(points)) + " rows, " + std::to_string(points + 1) + " points " +
                  std::to_string(Cube(points + 1)) + ")");
}

namespace {

// The shortest row, "0 0 0" (the last one needs no line end).
constexpr std::size_t kShortestRowBytes = 5;

void CheckDeclaredRows(const TLineCursor& cursor, long long rows) {
  CheckRowsFit(cursor.Source.Text().size(), static_cast<std::size_t>(rows), kShortestRowBytes);
}

}  // namespace

void SetDeclaredGridSize(TLineCursor& cursor, long long size) {
  CheckGridSize(size);
  CheckDeclaredRows(cursor, size * size * size);
  cursor.SetGridSize(size);
}

void CheckDeclared1DLength(const TLineCursor& cursor, long long length) {
  Check1DSize(length);
  CheckDeclaredRows(cursor, length);
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

bool StartsLikeDataRow(std::string_view line) {
  const std::string_view t = TrimLeft(line);
  if (t.empty()) return false;
  const char c = t.front();
  if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') return true;
  // A row of values that are not numbers, "nan 0 0" or "Inf 1 1", is a row
  // all the same, not a keyword line.
  if (c != 'n' && c != 'N' && c != 'i' && c != 'I') return false;
  std::size_t end = 0;
  while (end < t.size() && !IsBlank(t[end]) && t[end] != ',') ++end;
  const std::string word = UpperCase(t.substr(0, end));
  return word == "NAN" || word == "INF" || word == "INFINITY";
}

void RaiseRowError(std::string_view line, int line_number, int values, bool integers, unsigned unchecked) {
  // The fields as a reader of any separators would cut them.
  std::vector<std::string_view> fields;
  std::string_view rest = Trim(line);
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != ',') ++end;
    if (end > 0) fields.push_back(rest.substr(0, end));
    rest.remove_prefix(end);
    while (!rest.empty() && (IsBlank(rest.front()) || rest.front() == ',')) rest.remove_prefix(1);
  }
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string_view field = fields[k];
    if (k < 32 && (unchecked >> k & 1u) != 0) continue;
    int i = 0;
    double d = 0.0;
    const bool ok = integers ? TryParseInt(field, i) : TryParseFloat(field, d);
    if (!ok) {
      EConvertError e = integers ? EConvertError::InvalidInteger(field) : EConvertError::InvalidFloat(field);
      e.Line = line_number;
      throw e;
    }
  }
  RaiseBadRow(Trim(line), values, line_number);
}

void ReadFloatRow(std::string_view line, int line_number, double& r, double& g, double& b) {
  if (!ReadFloatTriple(line, r, g, b)) RaiseRowError(line, line_number, 3, false);
}

void ReadIntRow(std::string_view line, int line_number, int divisor, bool skip_first, double& r, double& g,
                double& b) {
  if (ReadIntTriple(line, divisor, skip_first, r, g, b)) return;
  // The whole row is shown, its index column counted but not checked.
  if (skip_first) RaiseRowError(line, line_number, 4, true, 1u);
  RaiseRowError(line, line_number, 3, true);
}

}  // namespace zelvo
