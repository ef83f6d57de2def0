// Row helpers shared by the format families, so that every reader and writer
// cuts, stores and prints rows the same way.
#pragma once

#include <string>
#include <string_view>

#include "formats/LUTFormat.h"
#include "base/StringLib.h"
#include "base/TextFile.h"
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

// ---------------------------------------------------------------------------
// Writing. A writer builds its whole file in one string: every line, the last
// one included, followed by a line feed.

// Appends the line and a line feed.
void AddLine(TFileText& text, std::string_view line);
// "# " + comment for each comment of the LUT.
void AddCommentLines(TFileText& text, const TLUT& lut);

// "r g b" with 6 decimals each, joined by `sep`.
void AppendFloatTriple(TFileText& line, const TLUTEntry& e, char sep = ' ');
// The three quantised codes at `bits`, joined by `sep`.
void AppendIntTriple(TFileText& line, const TLUTEntry& e, int bits, char sep = ' ');

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

// The N^3 rows of Table3D as float rows, red fastest, 6 decimals, single
// blanks; the same in blue-green-red column order; as integer codes at `bits`
// bits with blue fastest.
void AddFloatRowsRedFastest(TFileText& text, const TLUT& lut, int n);
void AddFloatRowsBGRRedFastest(TFileText& text, const TLUT& lut, int n);
void AddIntRowsBlueFastest(TFileText& text, const TLUT& lut, int n, int bits);
// The text of a Cube 3D file: the comments, the size, the domain where it is
// not 0..1, the rows (also what the Iridas ITX writer writes).
TFileText Cube3DText(const TLUT& lut);
// The same with fields joined by `sep`, and with the row number (from 0) as a
// first field when `index` is set.
void AddIndexedIntRowsBlueFastest(TFileText& text, const TLUT& lut, int n, int bits, char sep, bool index);
// Entries 0..m-1 of Table1D as float rows, or as rows of three codes, with the
// entry number as a first field when `index` is set.
void AddFloatRows1D(TFileText& text, const TLUT& lut, int m);
void AddIntRows1D(TFileText& text, const TLUT& lut, int m, int bits, bool index = false);

// The size of the table a writer is about to write, checked so that no writer
// reads outside the tables.
int WritableGridSize(const TLUT& lut);
int Writable1DSize(const TLUT& lut);

// The bit depth an integer writer was given, checked so that every code it
// writes, and the maximum its header declares, fits the 32-bit integers that
// the readers take: 1 to `max_bits` bits, else ELUTError.
int WritableBits(int bits, int max_bits = 31);

// ---------------------------------------------------------------------------
// Reading

// Number of lines of the text that hold three decimal numbers, C, and the grid
// size C^(1/3) rounded to the nearest integer (4913 rows give 17).
int CountFloatTripleLines(std::string_view text);
int GridSizeFromRowCount(long long rows);
// The grid size of a file whose row count alone gives it: the count must be a
// whole cube, else "Incomplete file (4912 rows make no whole grid; 16 points
// take 4096 rows, 17 points 4913)".
int WholeGridSizeFromRowCount(long long rows);

// A size the header declares, checked against the limits and then against the
// length of the file before the table is allocated: every row takes at least
// the five characters of "0 0 0".
void SetDeclaredGridSize(TLineCursor& cursor, long long size);
void CheckDeclared1DLength(const TLineCursor& cursor, long long length);

// Refuses a header value that would make the table unreadable, naming it:
// 'The header value "max value 0" is not supported (...).'
[[noreturn]] void RaiseBadHeaderValue(std::string_view header, std::string_view rule);

// Strict rows. A line whose first character after blanks is a digit, a sign
// or a point, or whose first field is nan, inf or infinity in any case,
// starts like a data row; such a line must then be one, or the load ends with
// an error at it.
bool StartsLikeDataRow(std::string_view line);
// Three decimal numbers of a data row (ReadFloatTriple's rules), or the error
// at `line_number`: the first field that is not a number (nan, inf, a value
// beyond the doubles and a decimal comma's parts are not), or a row of
// another count of fields.
void ReadFloatRow(std::string_view line, int line_number, double& r, double& g, double& b);
// The same for integers divided by `divisor` (ReadIntTriple's rules); with
// `skip_first` the error shows the whole row of 4 fields, its index unchecked.
void ReadIntRow(std::string_view line, int line_number, int divisor, bool skip_first, double& r, double& g, double& b);
// Raises the error a data row that does not parse gets: the first of its
// fields that is not a number (`integers` for integer rows), else a row of
// another count than `values` fields. Fields whose bit is set in `unchecked`
// (bit 0 the first field) are index columns the format does not check.
[[noreturn]] void RaiseRowError(std::string_view line, int line_number, int values, bool integers,
                                unsigned unchecked = 0);

// The first three fields of a row as integers, each divided by Divisor. Blanks
// before a field are skipped; fields after the third are ignored, so rows with
// extra columns are read.
bool ReadLeadingIntTriple(std::string_view line, int divisor, double& r, double& g, double& b);
// A row of six fields: index, R, index, G, index, B. The index fields are skipped
// unchecked; B is the whole rest of the row. Each value is divided by Divisor.
// On failure the outputs are left as they were.
bool ReadIndexedIntTriple(std::string_view line, int divisor, double& r, double& g, double& b);

}  // namespace zelvo
