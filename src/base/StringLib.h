// The lexical rules shared by every text format: cutting fields, trimming,
// converting numbers and printing values, all independent of the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo {

// A blank is any character with a code of 32 or less.
constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string UpperCase(std::string_view s);  // ASCII letters only

// 1-based position of Sub in S, or 2147483647 when it does not occur.
int PosOrMax(std::string_view sub, std::string_view s);
// 1-based position of Sub in S ignoring ASCII case, or 0.
int PosNoCase(std::string_view sub, std::string_view s);
// Case-insensitive test for a keyword anywhere in a line.
inline bool ContainsNoCase(std::string_view s, std::string_view sub) { return PosNoCase(sub, s) > 0; }

// The part of S before the first Sep; that part and the separator leave S.
// Without Sep, all of S is returned and S becomes empty.
std::string_view CutAt(std::string_view sep, std::string_view& s);
// The part of S before the first tab, space or comma; that part and the one
// delimiter leave S. May be empty when S starts with a delimiter.
std::string_view NextField(std::string_view& s);

// Strict number syntax. An integer is an optional sign and decimal digits in the
// 32-bit range; a decimal number may add a fraction after a point and an exponent.
// Nothing else is accepted: no blanks, no comma, no inf or nan.
bool TryParseInt(std::string_view text, int& value);
bool TryParseFloat(std::string_view text, double& value);

// The runtime's conversions for header values: leading blanks are skipped, the
// rest must be the number alone. Raise EConvertError with the offending text.
int StrToInt(std::string_view text);
double StrToFloat(std::string_view text);

// The rest of Line behind the first case-insensitive occurrence of Keyword,
// trimmed and converted by StrToInt ("LUT_3D_SIZE 33" gives 33).
int IntValueAfter(std::string_view line, std::string_view keyword);

// Three integers of a data row, each divided by Divisor; with SkipFirst an index
// column is dropped first. The third number is the whole rest of the line.
bool ReadIntTriple(std::string_view line, int divisor, bool skip_first, double& r, double& g, double& b);
// Three decimal numbers of a data row, cut at tab, blank or comma.
bool ReadFloatTriple(std::string_view line, double& r, double& g, double& b);

// The shortest decimal in fixed notation that reads back as exactly `value`
// ("15.998046875", "-0.5", "4"), locale-free. For header values; table values
// keep their fixed number of decimals.
std::string ShortestDecimal(double value);
template <typename String>
void AppendShortestDecimal(String& out, double value) {
  const std::string text = ShortestDecimal(value);
  out.append(text.data(), text.size());
}

// Decimal digits of an integer, locale-free, written at p (room for 20
// characters); returns the end.
char* WriteInt(char* p, std::int64_t value);
template <typename String>
void AppendInt(String& out, std::int64_t value) {
  char buf[24];
  out.append(buf, static_cast<std::size_t>(WriteInt(buf, value) - buf));
}


// A value in fixed notation with `digits` decimals, halves away from zero after
// reduction to 15 significant digits. Raises ELUTError for infinity and NaN, which
// no text format can hold.
std::string FormatFloatValue(int digits, double value);
// The common case of it written straight into a buffer with room for
// kMaxFastFloatChars; false (nothing written) when the value needs the general
// path of FormatFloatValue.
inline constexpr int kMaxFastFloatChars = 32;
bool TryWriteFloatValueFast(char*& p, int digits, double value);
template <typename String>
void AppendFloatValue(String& out, int digits, double value) {
  char buf[kMaxFastFloatChars];
  char* p = buf;
  if (TryWriteFloatValueFast(p, digits, value)) {
    out.append(buf, static_cast<std::size_t>(p - buf));
  } else {
    const std::string slow = FormatFloatValue(digits, value);
    out.append(slow.data(), slow.size());
  }
}

}  // namespace zelvo
