// Reading rows of three plain decimals ("0.031250 0.000000 1.000000") at the
// speed of the text: the readers' row loops run this millions of times, so it
// is inline. A row it is not sure of (exponents, long mantissas, odd
// separators) is left to the general rules of ReadFloatTriple, which give the
// same values for every row this reads.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/StringLib.h"

namespace zelvo::decimal_rows {

inline constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Rows of a LUT are millions of lines like "0.031250 0.000000 1.000000". The
// fast path below reads such a row in one pass and gives exactly what the
// general rules give; whatever it does not know for sure (exponents, long
// mantissas, odd separators) it leaves to them.
enum class RowScan { kOk, kFail, kUnknown };

inline bool IsDigitChar(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The number of leading digit characters of 8 bytes (little-endian order: the
// first character in the lowest byte). A borrow or carry only ever runs from a
// non-digit towards later bytes, so the first non-digit is always flagged.
inline int LeadingDigits(std::uint64_t chunk) {
  const std::uint64_t flags =
      ((chunk + 0x4646464646464646ULL) | (chunk - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
  return flags == 0 ? 8 : std::countr_zero(flags) / 8;
}

// The value of the first n (1..8) digit characters of a chunk.
inline std::uint64_t DigitsValue(std::uint64_t chunk, int n) {
  std::uint64_t v = (chunk - 0x3030303030303030ULL) << (8 * (8 - n));  // leading zero digits
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
       (((v >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >>
      32;
  return v & 0xFFFFFFFFULL;
}

inline constexpr std::uint64_t kScanPow10[] = {1,          10,          100,          1000,          10000,
                                        100000,     1000000,     10000000,     100000000,     1000000000,
                                        10000000000, 100000000000, 1000000000000, 10000000000000,
                                        100000000000000, 1000000000000000};

// Digits at p (within begin..end) into m; returns the number of digits read,
// 16 for more than 15.
inline int ScanDigits(const char* begin, const char*& p, const char* end, std::uint64_t& m) {
  int count = 0;
  for (;;) {
    std::uint64_t chunk;
    if constexpr (std::endian::native != std::endian::little) {
      break;
    } else if (end - p >= 8) {
      std::memcpy(&chunk, p, 8);
    } else if (end - begin >= 8 && p < end) {
      // The last bytes of the line: load the eight that end there and move
      // them down, so that zero bytes (no digits) follow the line's end.
      std::memcpy(&chunk, end - 8, 8);
      chunk >>= 8 * (8 - (end - p));
    } else {
      break;
    }
    const int n = LeadingDigits(chunk);
    if (n == 0) return count;
    if (count + n > 15) return 16;  // too long for the exact path
    m = m * kScanPow10[n] + DigitsValue(chunk, n);
    p += n;
    count += n;
    if (n < 8) return count;
  }
  while (p < end && IsDigitChar(*p)) {
    if (++count > 15) return 16;
    m = m * 10 + static_cast<std::uint64_t>(*p++ - '0');
  }
  return count;
}

// [sign] digits [. digits], at most 15 digits in all, as its digits m and
// the number of decimals: m / 10^decimals is the quotient of two exact
// doubles, correctly rounded, as the general path would give it.
struct PlainDecimal {
  std::int64_t mantissa = 0;
  int decimals = 0;
  bool negative = false;
  double Value() const {
    const double v = static_cast<double>(mantissa) / kExactPow10[decimals];
    return negative ? -v : v;
  }
};

inline bool ScanPlainDecimal(const char* begin, const char*& p, const char* end, PlainDecimal& out) {
  const char* q = p;
  bool negative = false;
  if (q < end && (*q == '-' || *q == '+')) negative = *q++ == '-';
  // The whole part is mostly one digit: a plain loop; the fraction eight
  // digits at a time.
  std::uint64_t m = 0;
  int digits = 0;
  while (q < end && IsDigitChar(*q)) {
    if (++digits > 15) return false;
    m = m * 10 + static_cast<std::uint64_t>(*q++ - '0');
  }
  int frac = 0;
  if (q < end && *q == '.') {
    ++q;
    frac = ScanDigits(begin, q, end, m);
    if (digits + frac > 15) return false;
    digits += frac;
  }
  if (digits == 0) return false;
  out.mantissa = static_cast<std::int64_t>(m);  // at most 15 digits
  out.decimals = frac;
  out.negative = negative;
  p = q;
  return true;
}

inline bool IsFieldDelimiter(char c) { return c == ' ' || c == '\t' || c == ','; }
inline bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Blanks inside one line: every character up to 32 but the line ends.
inline void SkipSpaces(const char*& p, const char* end) {
  while (p < end && IsBlank(*p) && !IsLineEnd(*p)) ++p;
}

// One row at p: three plain decimals under the field rules of ReadFloatTriple.
// On kOk, p is at the end of the row's line (a CR, an LF or `end`). `begin`
// bounds the reads behind p.
inline RowScan ScanRow(const char* begin, const char*& p, const char* end, PlainDecimal (&d)[3]) {
  const char* q = p;
  SkipSpaces(q, end);
  for (int i = 0; i < 3; ++i) {
    if (!ScanPlainDecimal(begin, q, end, d[i])) return RowScan::kUnknown;
    if (i == 2) break;
    // The first two fields end at a tab, blank or comma; the rest is trimmed,
    // and a field that would start with a comma, or be empty, fails the row.
    if (q == end || !IsFieldDelimiter(*q)) return RowScan::kUnknown;
    ++q;
    SkipSpaces(q, end);
    if (q == end || IsLineEnd(*q) || *q == ',') return RowScan::kFail;
  }
  // The third field is the whole rest of the line: blanks may follow it, and
  // nothing else.
  if (q != end && !IsBlank(*q)) return RowScan::kUnknown;
  SkipSpaces(q, end);
  if (q != end && !IsLineEnd(*q)) return RowScan::kFail;
  p = q;
  return RowScan::kOk;
}

// Rows from `pos` (the start of a line) on: each line that is a plain row of
// three decimals goes to store(i, r, g, b) for i = 0, 1, ..., as
// ReadFloatTriple would read it, until `max_rows` rows are read or a line is
// anything else. Returns the position of the first line not taken (the text's
// size at its end) and sets `rows`.
template <typename Store>
std::size_t ScanFloatRows(std::string_view text, std::size_t pos, std::size_t max_rows, std::size_t& rows,
                          Store&& store) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  const char* p = begin + (pos < text.size() ? pos : text.size());
  rows = 0;
  while (rows < max_rows && p < end) {
    const char* q = p;
    PlainDecimal d[3];
    if (ScanRow(begin, q, end, d) != RowScan::kOk) break;
    store(rows++, d[0].Value(), d[1].Value(), d[2].Value());
    // Past the line end; CR LF is one.
    if (q < end && *q++ == '\r' && q < end && *q == '\n') ++q;
    p = q;
  }
  return static_cast<std::size_t>(p - begin);
}

}  // namespace zelvo::decimal_rows
