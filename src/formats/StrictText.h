// Text read line by line with its line numbers, and the strict rules for the
// fields of a data row, for the readers that refuse what does not parse
// instead of passing over it (messages in ReadErrors.h).
#pragma once

#include <cstddef>
#include <string_view>

#include "base/Errors.h"

namespace zelvo {

class TTextLines {
 public:
  explicit TTextLines(std::string_view text) : text_(text) {}
  // Moves to the next line; false (and Line() empty) past the last one.
  bool Next();
  std::string_view Line() const { return line_; }
  // 1-based; after the end, the number of the last line the text has.
  int Number() const { return number_; }

 private:
  std::string_view text_;
  std::string_view line_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

// Raises `e` with the line filled in.
template <typename E>
[[noreturn]] void RaiseAtLine(E e, int line) {
  e.Line = line;
  throw e;
}

// Runs f; an error it raises without a line gets `line`. For header lines,
// whose errors come from the general number and header rules.
template <typename F>
void AtLine(int line, F&& f) {
  try {
    f();
  } catch (EZelvoError& e) {
    if (e.Line == 0) e.Line = line;
    throw;
  }
}

// The blank-separated fields of a line, at most `max` of them stored; returns
// how many there are in all.
int SplitFields(std::string_view line, std::string_view* fields, int max);
// Exactly `count` decimal numbers (StringLib's strict syntax: no decimal
// comma, no nan or inf, nothing beyond a double): RaiseBadRow for another
// count, EConvertError::InvalidFloat for a field that is no number.
void ReadRowValues(std::string_view line, double* values, int count, int line_number);
// One field as a decimal number or an integer, else EConvertError at the line.
double FloatField(std::string_view field, int line_number);
int IntField(std::string_view field, int line_number);

// The line begins like a number: a digit, a sign or a point after blanks.
bool StartsLikeNumber(std::string_view line);
// The line, after its leading blanks, starts with `word`, ignoring case.
bool StartsWithNoCase(std::string_view line, std::string_view word);

}  // namespace zelvo
