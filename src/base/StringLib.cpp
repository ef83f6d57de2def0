#include "base/StringLib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/Errors.h"
#include "base/DecimalRows.h"

namespace zelvo {

namespace {

constexpr char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the decimal-number grammar: [sign] (digits [. digits*] | . digits) [(e|E) [sign] digits].
bool IsDecimalSyntax(std::string_view t) {
  std::size_t i = 0;
  const std::size_t n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t int_digits = 0;
  while (i < n && IsDigit(t[i])) { ++i; ++int_digits; }
  std::size_t frac_digits = 0;
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && IsDigit(t[i])) { ++i; ++frac_digits; }
  }
  if (int_digits + frac_digits == 0) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exp_digits = 0;
    while (i < n && IsDigit(t[i])) { ++i; ++exp_digits; }
    if (exp_digits == 0) return false;
  }
  return i == n;
}

}  // namespace

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpper(c);
  return out;
}

int PosOrMax(std::string_view sub, std::string_view s) {
  const std::size_t p = s.find(sub);
  if (p == std::string_view::npos || p >= static_cast<std::size_t>(INT_MAX)) return INT_MAX;
  return static_cast<int>(p) + 1;
}

int PosNoCase(std::string_view sub, std::string_view s) {
  if (sub.size() > s.size()) return 0;
  if (sub.empty()) return 1;
  const char first = ToUpper(sub[0]);
  const std::size_t last = s.size() - sub.size();
  for (std::size_t i = 0; i <= last; ++i) {
    if (ToUpper(s[i]) != first) continue;
    std::size_t k = 1;
    while (k < sub.size() && ToUpper(s[i + k]) == ToUpper(sub[k])) ++k;
    if (k == sub.size()) return static_cast<int>(std::min<std::size_t>(i + 1, INT_MAX));
  }
  return 0;
}

std::string_view CutAt(std::string_view sep, std::string_view& s) {
  const std::size_t p = s.find(sep);
  if (p == std::string_view::npos) {
    std::string_view all = s;
    s = {};
    return all;
  }
  std::string_view head = s.substr(0, p);
  s.remove_prefix(p + sep.size());
  return head;
}

std::string_view NextField(std::string_view& s) {
  std::size_t p = 0;
  while (p < s.size() && s[p] != ' ' && s[p] != '\t' && s[p] != ',') ++p;
  if (p == s.size()) {
    std::string_view all = s;
    s = {};
    return all;
  }
  std::string_view head = s.substr(0, p);
  s.remove_prefix(p + 1);
  return head;
}

bool TryParseInt(std::string_view t, int& value) {
  if (t.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (t[0] == '+' || t[0] == '-') {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (!IsDigit(t[i])) return false;
    v = v * 10 + (t[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

namespace {


// The common LUT value "-0.031250": at most 15 significant digits and no
// exponent. Both the digits and the power of ten are exact doubles, so one
// division gives the correctly rounded result, as from_chars would.
bool TryParsePlainDecimal(std::string_view t, double& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int frac_digits = 0;
  bool seen_point = false;
  bool any_digit = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      any_digit = true;
      if (mantissa != 0 || c != '0') ++digits;
      if (digits > 15) return false;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (seen_point) ++frac_digits;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      return false;
    }
  }
  if (!any_digit || frac_digits > 22) return false;
  const double v = static_cast<double>(mantissa) / decimal_rows::kExactPow10[frac_digits];
  value = negative ? -v : v;
  return true;
}

}  // namespace

bool TryParseFloat(std::string_view t, double& value) {
  if (TryParsePlainDecimal(t, value)) return true;
  if (!IsDecimalSyntax(t)) return false;
  if (t[0] == '+') t.remove_prefix(1);
  const char* end = t.data() + t.size();
  const auto res = std::from_chars(t.data(), end, value, std::chars_format::general);
  // Out-of-range magnitudes give result_out_of_range; a LUT value that large is
  // not a number we can use either.
  return res.ec == std::errc() && res.ptr == end;
}

int StrToInt(std::string_view text) {
  int v = 0;
  if (!TryParseInt(TrimLeft(text), v)) throw EConvertError::InvalidInteger(text);
  return v;
}

double StrToFloat(std::string_view text) {
  double v = 0;
  if (!TryParseFloat(TrimLeft(text), v)) throw EConvertError::InvalidFloat(text);
  return v;
}

int IntValueAfter(std::string_view line, std::string_view keyword) {
  const int pos = PosNoCase(keyword, line);
  std::string_view rest = pos > 0 ? line.substr(static_cast<std::size_t>(pos - 1) + keyword.size()) : line;
  return StrToInt(Trim(rest));
}

namespace {

// The three fields of a data row: two cut by NextField, the third the whole
// trimmed rest. Returns false when a field is empty.
template <typename Convert>
bool ReadTriple(std::string_view line, bool skip_first, Convert convert, double& r, double& g, double& b) {
  std::string_view rest = Trim(line);
  if (skip_first) NextField(rest);
  rest = Trim(rest);
  if (!convert(Trim(NextField(rest)), r)) return false;
  rest = Trim(rest);
  if (!convert(Trim(NextField(rest)), g)) return false;
  return convert(Trim(rest), b);
}

}  // namespace

bool ReadIntTriple(std::string_view line, int divisor, bool skip_first, double& r, double& g, double& b) {
  const double d = static_cast<double>(divisor);
  return ReadTriple(
      line, skip_first,
      [d](std::string_view f, double& out) {
        int v = 0;
        if (!TryParseInt(f, v)) return false;
        out = static_cast<double>(v) / d;
        return true;
      },
      r, g, b);
}


bool ReadFloatTriple(std::string_view line, double& r, double& g, double& b) {
  const char* p = line.data();
  const char* end = p + line.size();
  decimal_rows::PlainDecimal d[3];
  switch (decimal_rows::ScanRow(p, p, end, d)) {
    case decimal_rows::RowScan::kOk:
      if (p != end) break;  // a line end inside the text: the general rules decide
      r = d[0].Value();
      g = d[1].Value();
      b = d[2].Value();
      return true;
    case decimal_rows::RowScan::kFail: return false;
    case decimal_rows::RowScan::kUnknown: break;
  }
  return ReadTriple(
      line, false, [](std::string_view f, double& out) { return TryParseFloat(f, out); }, r, g, b);
}

std::string ShortestDecimal(double value) {
  char buf[400];  // room for the largest double in fixed notation
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return std::string(buf, res.ptr);
}

char* WriteInt(char* p, std::int64_t value) { return std::to_chars(p, p + 24, value).ptr; }


namespace {

constexpr std::uint32_t kPow10Int[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// Writes `scaled` / 10^digits with exactly `digits` decimals at p; `scaled` is
// the rounded magnitude times 10^digits, at most 1000 × 10^digits (digits <= 9).
char* WriteFixed(char* p, bool negative, std::uint64_t scaled, int digits) {
  if (negative && scaled != 0) *p++ = '-';
  const std::uint64_t unit = kPow10Int[digits];
  auto whole = static_cast<std::uint32_t>(scaled / unit);
  auto frac = static_cast<std::uint32_t>(scaled % unit);
  if (whole >= 1000) {
    *p++ = static_cast<char>('0' + whole / 1000);
    whole %= 1000;
    *p++ = static_cast<char>('0' + whole / 100);
    *p++ = static_cast<char>('0' + whole / 10 % 10);
  } else if (whole >= 100) {
    *p++ = static_cast<char>('0' + whole / 100);
    *p++ = static_cast<char>('0' + whole / 10 % 10);
  } else if (whole >= 10) {
    *p++ = static_cast<char>('0' + whole / 10);
  }
  *p++ = static_cast<char>('0' + whole % 10);
  if (digits > 0) {
    *p++ = '.';
    // Two digits at a time from the right.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int i = digits;
    while (i >= 2) {
      const std::uint32_t pair = frac % 100;
      frac /= 100;
      i -= 2;
      p[i] = kPairs[2 * pair];
      p[i + 1] = kPairs[2 * pair + 1];
    }
    if (i == 1) p[0] = static_cast<char>('0' + frac % 10);
    p += digits;
  }
  return p;
}

// The digits of 0..999, three to an entry.
constexpr auto kTriplets = [] {
  std::array<std::array<char, 3>, 1000> t{};
  for (int i = 0; i < 1000; ++i) {
    t[static_cast<std::size_t>(i)] = {static_cast<char>('0' + i / 100), static_cast<char>('0' + i / 10 % 10),
                                      static_cast<char>('0' + i % 10)};
  }
  return t;
}();

// WriteFixed for six decimals, the digits of every LUT writer: constant
// divisors and three digits at a time.
char* WriteFixed6(char* p, bool negative, std::uint64_t scaled) {
  const std::uint64_t whole = scaled / 1000000;
  if (whole >= 10) return WriteFixed(p, negative, scaled, 6);
  if (negative && scaled != 0) *p++ = '-';
  const auto frac = static_cast<std::uint32_t>(scaled % 1000000);
  *p++ = static_cast<char>('0' + whole);
  *p++ = '.';
  std::memcpy(p, kTriplets[frac / 1000].data(), 3);
  std::memcpy(p + 3, kTriplets[frac % 1000].data(), 3);
  return p + 6;
}

// The general path: reduce to 15 significant digits, then round half away from
// zero at `digits` decimals, all on decimal digits.
void AppendFixedSlow(std::string& out, int digits, double value) {
  const bool negative = std::signbit(value);
  const double mag = std::fabs(value);
  char buf[64];
  // d.dddddddddddddde±x: 15 significant digits.
  const auto res = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t epos = sci.find('e');
  std::string mantissa;
  mantissa.push_back(sci[0]);
  mantissa.append(sci.substr(2, epos - 2));  // 15 digits
  int exponent = 0;
  std::from_chars(sci.data() + epos + 1 + (sci[epos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
  // The value is 0.mantissa × 10^(exponent+1). Digits kept: integer digits plus `digits`.
  const int keep = exponent + 1 + digits;
  std::string kept;
  bool round_up = false;
  if (keep <= 0) {
    round_up = (keep == 0 && mantissa[0] >= '5');
    kept = "";
  } else if (keep >= static_cast<int>(mantissa.size())) {
    kept = mantissa + std::string(static_cast<std::size_t>(keep) - mantissa.size(), '0');
  } else {
    kept = mantissa.substr(0, static_cast<std::size_t>(keep));
    round_up = mantissa[static_cast<std::size_t>(keep)] >= '5';
  }
  if (round_up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) ++kept[static_cast<std::size_t>(i)];
    else kept.insert(kept.begin(), '1');
  }
  // Pad so that there is at least one digit before the point.
  if (static_cast<int>(kept.size()) < digits + 1) kept.insert(0, static_cast<std::size_t>(digits + 1) - kept.size(), '0');
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  if (negative && !zero) out.push_back('-');
  out.append(kept, 0, kept.size() - static_cast<std::size_t>(digits));
  if (digits > 0) {
    out.push_back('.');
    out.append(kept, kept.size() - static_cast<std::size_t>(digits), std::string::npos);
  }
}

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

}  // namespace

bool TryWriteFloatValueFast(char*& p, int digits, double value) {
  const double mag = std::fabs(value);
  // For the usual LUT values, scaling by 10^digits is accurate to far better
  // than the margin kept around a half, so rounding the scaled value gives the
  // same digits as the decimal rounding of the general path. NaN and infinity
  // fail the range test and take the general path.
  if (digits < 0 || digits > 9 || !(mag < 1e3)) return false;
  const double x = mag * kPow10[digits];
  // x is below 10^12: the signed conversions are exact and cheaper.
  const auto whole = static_cast<std::int64_t>(x);  // x >= 0: truncation is floor
  const double frac = x - static_cast<double>(whole);
  if (!(std::fabs(frac - 0.5) > 1e-3)) return false;
  const auto scaled = static_cast<std::uint64_t>(whole + (frac > 0.5 ? 1 : 0));
  p = digits == 6 ? WriteFixed6(p, std::signbit(value), scaled) : WriteFixed(p, std::signbit(value), scaled, digits);
  return true;
}

std::string FormatFloatValue(int digits, double value) {
  std::string out;
  char buf[kMaxFastFloatChars];
  char* p = buf;
  if (TryWriteFloatValueFast(p, digits, value)) {
    out.assign(buf, static_cast<std::size_t>(p - buf));
    return out;
  }
  if (!std::isfinite(value)) {
    throw ELUTError("The table holds a value that is not a finite number (" +
                    std::string(std::isnan(value) ? "NaN" : "infinity") + "); it cannot be written.");
  }
  AppendFixedSlow(out, digits, value);
  return out;
}

}  // namespace zelvo
