#include "formats/StrictText.h"

#include "formats/ReadErrors.h"
#include "base/StringLib.h"
#include "base/TextFile.h"

namespace zelvo {

bool TTextLines::Next() {
  if (pos_ >= text_.size()) {
    line_ = {};
    pos_ = text_.size();
    return false;
  }
  const TLineAt at = LineAt(text_, pos_);
  line_ = at.line;
  pos_ = at.next;
  ++number_;
  return true;
}

int SplitFields(std::string_view line, std::string_view* fields, int max) {
  int count = 0;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return count;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (count < max) fields[count] = line.substr(start, i - start);
    ++count;
  }
}

double FloatField(std::string_view field, int line_number) {
  double v = 0;
  if (!TryParseFloat(field, v)) RaiseAtLine(EConvertError::InvalidFloat(field), line_number);
  return v;
}

int IntField(std::string_view field, int line_number) {
  int v = 0;
  if (!TryParseInt(field, v)) RaiseAtLine(EConvertError::InvalidInteger(field), line_number);
  return v;
}

void ReadRowValues(std::string_view line, double* values, int count, int line_number) {
  // One pass: a field that is no number is named as such; a row of too few
  // or too many fields is refused whole.
  std::size_t i = 0;
  for (int k = 0; k <= count; ++k) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) {
      if (k == count) return;
      RaiseBadRow(line, count, line_number);
    }
    if (k == count) RaiseBadRow(line, count, line_number);
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    values[k] = FloatField(line.substr(start, i - start), line_number);
  }
}

bool StartsLikeNumber(std::string_view line) {
  const std::string_view t = TrimLeft(line);
  return !t.empty() && ((t[0] >= '0' && t[0] <= '9') || t[0] == '+' || t[0] == '-' || t[0] == '.');
}

bool StartsWithNoCase(std::string_view line, std::string_view word) {
  const std::string_view t = TrimLeft(line);
  return t.size() >= word.size() && PosNoCase(word, t.substr(0, word.size())) == 1;
}

}  // namespace zelvo
