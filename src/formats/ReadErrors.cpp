#include "formats/ReadErrors.h"

#include <string>

#include "base/Errors.h"

namespace zelvo {

namespace {

[[noreturn]] void RaiseAt(const std::string& message, int line) {
  ELUTError e(message);
  e.Line = line;
  throw e;
}

// A row as it can be shown: at most 40 characters, control characters escaped.
std::string Shown(std::string_view row) {
  constexpr std::size_t kMost = 40;
  std::string out;
  for (std::size_t i = 0; i < row.size() && i < kMost; ++i) {
    const auto c = static_cast<unsigned char>(row[i]);
    if (c < 32 || c == 127) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  if (row.size() > kMost) out += "...";
  return out;
}

}  // namespace

void RaiseTooFewRows(std::size_t found, std::size_t expected, int last_line) {
  throw ELUTError("Incomplete file (" + std::to_string(found) + " of " + std::to_string(expected) +
                  " rows; the file ends at line " + std::to_string(last_line) + ")");
}

void RaiseExtraRow(std::size_t expected, int line) {
  RaiseAt("Too many rows (the file declares " + std::to_string(expected) + ")", line);
}

void RaiseBadRow(std::string_view row, int values, int line) {
  RaiseAt("'" + Shown(row) + "' is not a row of " + std::to_string(values) + " values", line);
}

void RaiseSizeChanged(long long first, long long again, int line) {
  RaiseAt("The size is given again as " + std::to_string(again) + " (it was " + std::to_string(first) + ")", line);
}

void CheckRowsFit(std::size_t bytes, std::size_t rows, std::size_t min_bytes_per_row) {
  if (min_bytes_per_row > 0 && rows > bytes / min_bytes_per_row) {
    throw ELUTError("Incomplete file (" + std::to_string(rows) + " rows declared; the file's " +
                    std::to_string(bytes) + " bytes cannot hold them)");
  }
}

}  // namespace zelvo
