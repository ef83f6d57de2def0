#include "formats/LUTFormat.h"

#include <algorithm>
#include <cmath>

#include "base/DecimalRows.h"
#include "base/StringLib.h"
#include "base/TextFile.h"
#include "formats/LUTFormatImps.h"
#include "formats/ReadErrors.h"

namespace zelvo {

namespace {

// Splits an upper-cased keyword list: items at commas, blanks around an item
// skipped, a blank inside an item ends it too; a double-quoted item runs to its
// closing quote.
template <typename F>
bool AllKeywords(std::string_view list, F&& test) {
  std::size_t i = 0;
  const std::size_t n = list.size();
  while (i < n) {
    while (i < n && (IsBlank(list[i]) || list[i] == ',')) ++i;
    if (i >= n) break;
    std::size_t start = i;
    if (list[i] == '"') {
      start = ++i;
      while (i < n && list[i] != '"') ++i;
      if (!test(list.substr(start, i - start))) return false;
      if (i < n) ++i;
      continue;
    }
    while (i < n && !IsBlank(list[i]) && list[i] != ',') ++i;
    if (!test(list.substr(start, i - start))) return false;
  }
  return true;
}

}  // namespace

bool TGenericLutFormat::MatchSignature(const TLUTSource& source, std::string_view required,
                                       std::string_view excluded) {
  const std::string_view head = source.UpperHead();
  const auto occurs = [head](std::string_view word) { return head.find(UpperCase(word)) != std::string_view::npos; };
  if (!AllKeywords(excluded, [&](std::string_view w) { return !occurs(w); })) return false;
  return AllKeywords(required, occurs);
}

// ---------------------------------------------------------------------------
// The cursor

void TLineCursor::SetGridSize(long long size) {
  CheckGridSize(size);
  if (LUT.Size3D() != size) LUT.SetSize3D(static_cast<int>(size));
  Size = static_cast<int>(size);
}

void TLineCursor::Set1DSize(long long size) {
  Check1DSize(size);
  if (LUT.Size1D() != size) LUT.SetSize1D(static_cast<int>(size));
  Size = static_cast<int>(size);
}

std::size_t TLineCursor::ExpectedRows(bool is_3d) const {
  if (Size < 1) return 0;
  const auto n = static_cast<std::size_t>(Size);
  return is_3d ? n * n * n : n;
}

bool TLineCursor::StoreAndStepRedFastest(double r, double g, double b) {
  // A size that changed under the cursor must not lead it out of the table.
  if (Size < 1 || Size != LUT.Size3D() || IndexR >= Size || IndexG >= Size || IndexB >= Size) return false;
  LUT.Table3D(IndexR, IndexG, IndexB) = TLUTEntry{r, g, b};
  ++RowsStored;
  if (++IndexR < Size) return false;
  IndexR = 0;
  if (++IndexG < Size) return false;
  IndexG = 0;
  if (++IndexB < Size) return false;
  IndexB = 0;
  return true;
}

bool TLineCursor::StoreAndStepBlueFastest(double r, double g, double b) {
  if (Size < 1 || Size != LUT.Size3D() || IndexR >= Size || IndexG >= Size || IndexB >= Size) return false;
  LUT.Table3D(IndexR, IndexG, IndexB) = TLUTEntry{r, g, b};
  ++RowsStored;
  if (++IndexB < Size) return false;
  IndexB = 0;
  if (++IndexG < Size) return false;
  IndexG = 0;
  if (++IndexR < Size) return false;
  IndexR = 0;
  return true;
}

void TLineCursor::StoreRedFastest(double r, double g, double b) {
  if (Complete) RaiseExtraRow(ExpectedRows(true), Line);
  if (StoreAndStepRedFastest(r, g, b)) Complete = true;
}

void TLineCursor::StoreBlueFastest(double r, double g, double b) {
  if (Complete) RaiseExtraRow(ExpectedRows(true), Line);
  if (StoreAndStepBlueFastest(r, g, b)) Complete = true;
}

void TLineCursor::Store1D(double r, double g, double b) {
  if (Complete) RaiseExtraRow(ExpectedRows(false), Line);
  if (Size < 1 || Size != LUT.Size1D() || Index1D >= Size) return;
  LUT.Table1D(Index1D) = TLUTEntry{r, g, b};
  ++RowsStored;
  if (++Index1D == Size) Complete = true;
}

std::size_t TLineCursor::RedFastestRowsLeft() const {
  if (Complete || Size < 1 || Size != LUT.Size3D() || IndexR >= Size || IndexG >= Size || IndexB >= Size) return 0;
  const auto n = static_cast<std::size_t>(Size);
  return n * n * n - ((static_cast<std::size_t>(IndexB) * n + static_cast<std::size_t>(IndexG)) * n +
                      static_cast<std::size_t>(IndexR));
}

TLUTEntry* TLineCursor::RedFastestNext() {
  const auto n = static_cast<std::size_t>(Size);
  return LUT.Data3D() + (static_cast<std::size_t>(IndexB) * n + static_cast<std::size_t>(IndexG)) * n +
         static_cast<std::size_t>(IndexR);
}

void TLineCursor::StepRedFastest(std::size_t count) {
  RowsStored += count;
  const auto n = static_cast<std::size_t>(Size);
  const std::size_t at =
      (static_cast<std::size_t>(IndexB) * n + static_cast<std::size_t>(IndexG)) * n + static_cast<std::size_t>(IndexR) +
      count;
  if (at >= n * n * n) {
    IndexR = IndexG = IndexB = 0;
    Complete = true;
    return;
  }
  IndexR = static_cast<int>(at % n);
  IndexG = static_cast<int>(at / n % n);
  IndexB = static_cast<int>(at / (n * n));
}

void TLineCursor::AddComment(std::string_view text) {
  if (LUT.Comments.size() < kMaxComments) {
    LUT.Comments.emplace_back(text);
  } else {
    ++DroppedComments;
  }
}

void TLineCursor::AppendRow(double r, double g, double b) {
  if (Rows.size() >= static_cast<std::size_t>(kMax1DSize)) Check1DSize(static_cast<long long>(Rows.size()) + 1);
  Rows.push_back(TLUTEntry{r, g, b});
  ++RowsStored;
}

void TLineCursor::MoveRowsToTable() {
  Size = static_cast<int>(Rows.size());
  LUT.SetSize1D(Size);
  std::copy(Rows.begin(), Rows.end(), LUT.Data1D());
  Rows = {};
}

// ---------------------------------------------------------------------------
// The generic reader

void TGenericLutFormat::ParseLine(std::string_view, TLineCursor&) const {}

TGenericLutFormat::TRowRun TGenericLutFormat::NextRowRun(TLineCursor&) const { return {}; }

void TGenericLutFormat::RowsRead(TLineCursor&, std::size_t) const {}

void TGenericLutFormat::ParseLines(TLineCursor& cursor) const {
  const std::string_view text = cursor.Source.Text();
  int& line_number = cursor.Line;
  line_number = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    // A run of plain rows goes straight into the table, a line each.
    if (const TRowRun run = NextRowRun(cursor); run.Count > 0) {
      std::size_t rows = 0;
      TLUTEntry* const out = run.Entries;
      pos = decimal_rows::ScanFloatRows(text, pos, run.Count, rows,
                                        [out](std::size_t i, double r, double g, double b) { out[i] = {r, g, b}; });
      if (rows > 0) {
        line_number += static_cast<int>(rows);
        RowsRead(cursor, rows);
        continue;
      }
      if (pos >= text.size()) break;
    }
    const TLineAt at = LineAt(text, pos);
    ++line_number;
    try {
      ParseLine(at.line, cursor);
    } catch (EZelvoError& e) {
      if (e.Line == 0) e.Line = line_number;
      throw;
    }
    pos = at.next;
  }
}

void TGenericLutFormat::FinishLoad(TLineCursor& cursor) const {
  cursor.LUT.Kind = Is3D ? TLUTKind::lk3D : TLUTKind::lk1D;
  if (cursor.DroppedComments > 0) {
    // (Built in steps: GCC 12 warns falsely about "(" + a temporary.)
    std::string line = "(";
    line += std::to_string(cursor.DroppedComments);
    line += " more comment lines left out)";
    cursor.LUT.Comments.push_back(std::move(line));
  }
  if (!cursor.Complete) {
    if (cursor.Size < 1) throw ELUTError("Incomplete file.");
    RaiseTooFewRows(cursor.RowsStored, cursor.ExpectedRows(Is3D), cursor.Line);
  }
}

TLoadInfo TGenericLutFormat::Load(const TLUTSource& source, TLUT& lut) const {
  return LoadWithCursor<TLineCursor>(source, lut);
}

TLoadInfo TGenericLutFormat::LoadRows(const TLUTSource& source, TLUT& lut, int bits) const {
  TLineCursor cursor(source, lut);
  cursor.Info.Bits = bits;
  ParseLines(cursor);
  cursor.MoveRowsToTable();
  FinishLoad(cursor);
  return cursor.Info;
}

TWrittenValues TLUTFormat::WrittenValues(int bits) const {
  TWrittenValues held;
  if (bits > 0) {
    held.Low = 0.0;
    held.High = 1.0;
    held.Step = 1.0 / (std::ldexp(1.0, bits) - 1.0);
    held.CodeBits = bits;
  } else {
    held.Step = std::pow(10.0, -kFloatDigits);
  }
  return held;
}

bool TLUTFormat::AsReadBack(TLUT& lut) const {
  if (lut.Kind == TLUTKind::lk1D || lut.Interpolation3D == TInterpolation::Trilinear) return false;
  lut.Interpolation3D = TInterpolation::Trilinear;
  return true;
}

void RaiseReadOnly(const TLUTFormat& format) {
  throw ELUTError("The format \"" + format.Name + "\" is read only; it cannot be written.");
}

int LineOfPosition(std::string_view text, std::size_t position) {
  int line = 1;
  for (std::size_t pos = 0; pos < text.size();) {
    const TLineAt at = LineAt(text, pos);
    if (position < at.next) return line;
    pos = at.next;
    ++line;
  }
  return line;
}

}  // namespace zelvo
