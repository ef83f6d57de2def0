// The messages of the strict text readers: a file that ends early, a row too
// many, a row that is no row, a size given twice, and a declared size the
// file cannot hold. Every reader words these the same way, so that a user
// learns one form; the line, where there is one, goes in the error's Line
// (EZelvoError::Described adds " (line N)").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvo {

// "Incomplete file (F of E rows; the file ends at line L)".
[[noreturn]] void RaiseTooFewRows(std::size_t found, std::size_t expected, int last_line);
// "Too many rows (the file declares E)" at the first row beyond them.
[[noreturn]] void RaiseExtraRow(std::size_t expected, int line);
// "'ROW' is not a row of N values" (the row as EscapedRow shows it).
[[noreturn]] void RaiseBadRow(std::string_view row, int values, int line);
// "The size is given again as AGAIN (it was FIRST)".
[[noreturn]] void RaiseSizeChanged(long long first, long long again, int line);
// "A row comes before the "KEYWORD" line", at that row: the size of the
// table it would belong to is not known yet.
[[noreturn]] void RaiseRowBeforeSize(std::string_view size_line, int line);
// Refuses, before anything is allocated, a declared count of rows (more than
// a small table's) that the file cannot hold at `min_bytes_per_row` bytes a row:
// "Incomplete file (N rows declared; the file's B bytes cannot hold them)".
void CheckRowsFit(std::size_t bytes, std::size_t rows, std::size_t min_bytes_per_row);

// A line as messages quote it: trimmed, cut to 40 characters with "..." after
// a longer one, and control characters written as \xNN.
std::string EscapedRow(std::string_view row);
// The same in single quotes.
std::string QuotedRow(std::string_view row);

}  // namespace zelvo
