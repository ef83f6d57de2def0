#include "formats/ReadErrors.h"

#include "base/StringLib.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

[[noreturn]] void RaiseAtLine(std::string message, int line) {
  ELUTError e(message);
  e.Line = line;
  throw e;
}

}  // namespace

std::string EscapedRow(std::string_view row) {
  constexpr std::size_t kShown = 40;
  row = Trim(row);
  const bool cut = row.size() > kShown;
  if (cut) row = row.substr(0, kShown);
  std::string text;
  text.reserve(row.size() + 3);
  for (const char c : row) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      text += "\\x";
      text += kHex[u >> 4];
      text += kHex[u & 15];
    } else {
      text += c;
    }
  }
  if (cut) text += "...";
  return text;
}

std::string QuotedRow(std::string_view row) {
  // (Built in steps: GCC 12 warns falsely about "'" + a temporary.)
  std::string text = "'";
  text += EscapedRow(row);
  text += '\'';
  return text;
}

void RaiseTooFewRows(std::size_t found, std::size_t expected, int last_line) {
  throw ELUTError("Incomplete file (" + std::to_string(found) + " of " + std::to_string(expected) +
                  " rows; the file ends at line " + std::to_string(last_line) + ")");
}

void RaiseExtraRow(std::size_t expected, int line) {
  RaiseAtLine("Too many rows (the file declares " + std::to_string(expected) + ")", line);
}

void RaiseBadRow(std::string_view row, int values, int line) {
  RaiseAtLine(QuotedRow(row) + " is not a row of " + std::to_string(values) + " values", line);
}

void RaiseSizeChanged(long long first, long long again, int line) {
  RaiseAtLine("The size is given again as " + std::to_string(again) + " (it was " + std::to_string(first) + ")", line);
}

void RaiseRowBeforeSize(std::string_view size_line, int line) {
  RaiseAtLine("A row comes before the \"" + std::string(size_line) + "\" line", line);
}

void CheckRowsFit(std::size_t bytes, std::size_t rows, std::size_t min_bytes_per_row) {
  // A small table costs nothing to allocate: its rows are read, and a file
  // too short for them says what it holds and where it goes wrong.
  constexpr std::size_t kSmallTable = 4096;
  if (rows <= kSmallTable) return;
  // The last row needs no line end after it. Written as a division so that
  // no product of a huge count overflows.
  if (min_bytes_per_row > 0 && rows > (bytes + 1) / min_bytes_per_row) {
    throw ELUTError("Incomplete file (" + std::to_string(rows) + " rows declared; the file's " + std::to_string(bytes) +
                    " bytes cannot hold them)");
  }
}

}  // namespace zelvo
