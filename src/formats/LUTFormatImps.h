// Row helpers shared by the format families, so that every reader and writer
// cuts, stores and prints rows the same way.
#pragma once

#include <string>
#include <string_view>

#include "formats/LUTFormat.h"
#include "formats/StringLib.h"
#include "formats/TextFile.h"
#include "lut/LUT.h"

namespace zelvo {

// The identification line of the text writers.
inline constexpr std::string_view kConvertedByLine = "# Converted by Zelvo LUT Converter";
// Decimals of every floating-point value written.
inline constexpr int kFloatDigits = 6;

// A line that is empty after trimming blanks.
inline bool IsBlankLine(std::string_view line) { return Trim(line).empty(); }
// A line whose first character after the leading blanks is '#'.
inline bool IsCommentLine(std::string_view line) {
  const std::string_view t = TrimLeft(line);
  return !t.empty() && t.front() == '#';
}
// The text after the '#' of a comment line, trimmed.
inline std::string_view CommentText(std::string_view line) { return Trim(TrimLeft(line).substr(1)); }

// Case-insensitive test of the file's extension (the part from the last '.'
// of the name); `extension` includes the dot, as in ".3dl".
bool HasExtension(const std::string& file_name, std::string_view extension);
// The file name without folder and without extension ("/a/grade.cms" gives "grade").
std::string BaseNameOf(const std::string& file_name);

// "r g b" with 6 decimals each, joined by `sep`.
void AppendFloatTriple(std::string& line, const TLUTEntry& e, char sep = ' ');
// The three quantised codes at `bits`, joined by `sep`.
void AppendIntTriple(std::string& line, const TLUTEntry& e, int bits, char sep = ' ');

// "# " + comment for each comment of the LUT.
void AddCommentLines(TTextFile& file, const TLUT& lut);

// Grid walks of the writers: red fastest (blue slowest) and blue fastest.
template <typename F>
void ForEachRedFastest(int n, F&& f) {
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) f(r, g, b);
}
template <typename F>
void ForEachBlueFastest(int n, F&& f) {
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) f(r, g, b);
}

// Adds the N^3 float rows of Table3D, red fastest, 6 decimals, single blanks.
void AddFloatRowsRedFastest(TTextFile& file, const TLUT& lut, int n);
// Adds entries 0..m-1 of Table1D as float rows.
void AddFloatRows1D(TTextFile& file, const TLUT& lut, int m);

// The size of the table a writer is about to write, checked against the
// capacity so that no writer reads outside the tables.
int WritableGridSize(const TLUT& lut);
int Writable1DSize(const TLUT& lut);

// Number of lines that hold three decimal numbers, C, and the grid size C^(1/3)
// rounded to the nearest integer (4913 rows give 17).
int CountFloatTripleLines(const TTextFile& lines);
int GridSizeFromRowCount(long long rows);

// Adds the N^3 integer rows of Table3D, blue fastest (red slowest): the codes
// of R, G and B at `bits` bits, joined by single blanks.
void AddIntRowsBlueFastest(TTextFile& file, const TLUT& lut, int n, int bits);
// Adds the N^3 float rows of Table3D in blue-green-red column order, red fastest.
void AddFloatRowsBGRRedFastest(TTextFile& file, const TLUT& lut, int n);

// The bit depth an integer writer was given, checked so that every code it
// writes, and the maximum its header declares, fits the 32-bit integers that
// the readers take: 1 to `max_bits` bits, else ELUTError.
int WritableBits(int bits, int max_bits = 31);

// Refuses a header value that would make the table unreadable, naming it:
// 'The header value "max value 0" is not supported (...).'
[[noreturn]] void RaiseBadHeaderValue(std::string_view header, std::string_view rule);

// The first three fields of a row as integers, each divided by Divisor. Blanks
// before a field are skipped; fields after the third are ignored, so rows with
// extra columns are read.
bool ReadLeadingIntTriple(std::string_view line, int divisor, double& r, double& g, double& b);
// A row of six fields: index, R, index, G, index, B. The index fields are skipped
// unchecked; B is the whole rest of the row. Each value is divided by Divisor.
// On failure the outputs are left as they were.
bool ReadIndexedIntTriple(std::string_view line, int divisor, double& r, double& g, double& b);
// Stores a row at entry `count` of Table1D and counts it, for formats whose
// table length is the number of rows read; refuses the row past the capacity.
void AppendRow1D(TLUT& lut, int& count, double r, double g, double b);
// Adds entries 0..m-1 of Table1D as rows of three codes at `bits` bits.
void AddIntRows1D(TTextFile& file, const TLUT& lut, int m, int bits);

}  // namespace zelvo
