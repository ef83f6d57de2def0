#include "formats/LUTFormat.h"

#include <algorithm>

#include "formats/StringLib.h"
#include "formats/TextFile.h"

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

bool TLineCursor::StoreAndStepRedFastest(double r, double g, double b) {
  // A size that changed under the cursor must not lead it out of the table.
  if (Size < 1 || Size != LUT.Size3D() || IndexR >= Size || IndexG >= Size || IndexB >= Size) return false;
  LUT.Table3D(IndexR, IndexG, IndexB) = TLUTEntry{r, g, b};
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
  if (++IndexB < Size) return false;
  IndexB = 0;
  if (++IndexG < Size) return false;
  IndexG = 0;
  if (++IndexR < Size) return false;
  IndexR = 0;
  return true;
}

void TLineCursor::StoreRedFastest(double r, double g, double b) {
  if (!Complete && StoreAndStepRedFastest(r, g, b)) Complete = true;
}

void TLineCursor::StoreBlueFastest(double r, double g, double b) {
  if (!Complete && StoreAndStepBlueFastest(r, g, b)) Complete = true;
}

void TLineCursor::Store1D(double r, double g, double b) {
  if (Complete || Size < 1 || Size != LUT.Size1D() || Index1D >= Size) return;
  LUT.Table1D(Index1D) = TLUTEntry{r, g, b};
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
  int line_number = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    // A run of plain rows goes straight into the table, a line each.
    if (const TRowRun run = NextRowRun(cursor); run.Count > 0) {
      std::size_t rows = 0;
      pos = ScanFloatRows(text, pos, run.Entries, run.Count, rows);
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
  if (!cursor.Complete) throw ELUTError("Incomplete file.");
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

void RaiseReadOnly(const TLUTFormat& format) {
  throw ELUTError("The format \"" + format.Name + "\" is read only; it cannot be written.");
}

// ---------------------------------------------------------------------------
// Entry points

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

TLUTFormatId DetectLUTFormat(const TLUTSource& source) {
  for (const TLUTFormat* format : DetectionOrder()) {
    if (format->CanRead(source)) return format->Id;
  }
  return TLUTFormatId::None;
}

TLUTFormatId DetectLUTFormat(const std::string& file_name) {
  return DetectLUTFormat(TLUTSource::FromFileHead(file_name));
}

TLoadInfo LoadLUT(const TLUTSource& source, TLUT& lut, TLUTFormatId format) {
  lut.Comments.clear();
  lut.FormatIndex = TLUTFormatId::None;
  if (format == TLUTFormatId::None) format = DetectLUTFormat(source);
  if (format == TLUTFormatId::None) return {};
  // Read into a LUT of its own and take it over only when the load succeeded.
  TLUT loaded;
  const TLUTFormat& reader = LUTFormatOf(format);
  TLoadInfo info;
  try {
    info = reader.Load(source, loaded);
  } catch (EZelvoError& e) {
    e.FormatName = reader.Name;
    if (e.Line == 0 && e.Position != std::string::npos) e.Line = LineOfPosition(source.Bytes(), e.Position);
    throw;
  }
  loaded.FormatIndex = format;
  lut = std::move(loaded);
  return info;
}

TLoadInfo LoadLUTFile(const std::string& file_name, TLUT& lut, TLUTFormatId format) {
  lut.Comments.clear();
  lut.FormatIndex = TLUTFormatId::None;
  return LoadLUT(TLUTSource::FromFile(file_name), lut, format);
}

TLoadInfo LoadLUTFile(const std::string& file_name, TLUT& lut, TLUTFormatId format, const std::string& item_id) {
  lut.Comments.clear();
  lut.FormatIndex = TLUTFormatId::None;
  TLUTSource source = TLUTSource::FromFile(file_name);
  source.SetItemId(item_id);
  return LoadLUT(source, lut, format);
}

TLoadInfo LoadLUTFromMemory(const std::string& name, std::string_view bytes, TLUT& lut, TLUTFormatId format) {
  return LoadLUT(TLUTSource(name, bytes), lut, format);
}

namespace {

// The comments that can be copied into a file of this format without changing
// the format that detection finds in it. Comments come from the source, and
// one that holds another format's keyword ("LUT_3D_SIZE" in a 3dl file, say)
// would make the file read as that format. Detection looks only at keywords,
// and those stand in the comments and the header, never in the rows: a file of
// the same kind with a two-point table decides it.
std::vector<std::string> CommentsKeepingDetection(const TLUT& lut, const TLUTFormat& format,
                                                  const std::string& file_name, int bits, std::string_view title) {
  const TLUTFormatId expected = format.ReadBackAs();
  if (expected == TLUTFormatId::None) return lut.Comments;
  TLUT probe;
  probe.Kind = lut.Kind;
  probe.Domain1D = lut.Domain1D;
  probe.Domain3D = lut.Domain3D;
  if (lut.Size3D() > 0) probe.SetSize3D(2);
  if (lut.Size1D() > 0) probe.SetSize1D(2);
  const auto detected_with = [&](std::vector<std::string> comments) {
    probe.Comments = std::move(comments);
    const TFileText text = format.Save(probe, bits, title);
    return DetectLUTFormat(TLUTSource(file_name, std::string_view(text.data(), text.size())));
  };
  try {
    if (detected_with(lut.Comments) == expected) return lut.Comments;
    std::vector<std::string> kept;
    for (const std::string& comment : lut.Comments) {
      kept.push_back(comment);
      if (detected_with(kept) != expected) kept.pop_back();
    }
    return kept;
  } catch (const EZelvoError&) {
    return lut.Comments;  // the real save will say what is wrong
  }
}

}  // namespace

TFileText SaveLUTText(const TLUT& lut, const TLutOutputProfile& profile, int bits, std::string_view title) {
  if (bits == -1) bits = profile.DefaultBits;
  const TLUTFormat& format = FormatOfProfile(profile);
  if (!lut.Comments.empty()) {
    std::vector<std::string> kept =
        CommentsKeepingDetection(lut, format, std::string(title) + "." + profile.Extension, bits, title);
    if (kept.size() != lut.Comments.size()) {
      TLUT copy = lut.Copy();
      copy.Comments = std::move(kept);
      return format.Save(copy, bits, title);
    }
  }
  return format.Save(lut, bits, title);
}

void SaveLUTFile(const std::string& file_name, const TLUT& lut, const TLutOutputProfile& profile, int bits,
                 TReplace replace) {
  WriteFileAtomically(file_name, SaveLUTText(lut, profile, bits, BaseNameOf(file_name)), replace);
}

}  // namespace zelvo
