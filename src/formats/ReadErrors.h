// The errors of a reader that meets a damaged file, in one form for every
// format: the described text first ("Incomplete file"), then what is new in
// parentheses. The line goes into the error's Line, which the load shows.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelvo {

// "Incomplete file (F of E rows; the file ends at line L)".
[[noreturn]] void RaiseTooFewRows(std::size_t found, std::size_t expected, int last_line);
// "Too many rows (the file declares E)", at the first row beyond them.
[[noreturn]] void RaiseExtraRow(std::size_t expected, int line);
// "'ROW' is not a row of N values", at that line (the row cut to 40
// characters, control characters as \xNN).
[[noreturn]] void RaiseBadRow(std::string_view row, int values, int line);
// "The size is given again as AGAIN (it was FIRST)", at that line.
[[noreturn]] void RaiseSizeChanged(long long first, long long again, int line);
// Refuses a declared table that the file is too short to hold, before
// anything is allocated: "Incomplete file (N rows declared; the file's B
// bytes cannot hold them)".
void CheckRowsFit(std::size_t bytes, std::size_t rows, std::size_t min_bytes_per_row);

}  // namespace zelvo
