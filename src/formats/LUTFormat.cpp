#include "formats/LUTFormat.h"

#include <cstring>

#include "formats/StringLib.h"

namespace zelvo {

namespace {

constexpr std::size_t kSignatureBytes = 4096;

// Splits an upper-cased keyword list: items at commas, blanks around an item
// skipped, a blank inside an item ends it too; a double-quoted item runs to its
// closing quote.
std::vector<std::string> SplitKeywords(std::string_view list) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = list.size();
  while (i < n) {
    while (i < n && (IsBlank(list[i]) || list[i] == ',')) ++i;
    if (i >= n) break;
    std::size_t start = i;
    if (list[i] == '"') {
      start = ++i;
      while (i < n && list[i] != '"') ++i;
      words.emplace_back(list.substr(start, i - start));
      if (i < n) ++i;
      continue;
    }
    while (i < n && !IsBlank(list[i]) && list[i] != ',') ++i;
    words.emplace_back(list.substr(start, i - start));
  }
  return words;
}

}  // namespace

bool TGenericLutFormat::MatchSignature(const std::string& file_name, std::string_view required,
                                       std::string_view excluded) const {
  const std::string head = UpperCase(ReadFileHead(file_name, kSignatureBytes));
  for (const std::string& word : SplitKeywords(UpperCase(excluded))) {
    if (head.find(word) != std::string::npos) return false;
  }
  for (const std::string& word : SplitKeywords(UpperCase(required))) {
    if (head.find(word) == std::string::npos) return false;
  }
  return true;
}

void TGenericLutFormat::ResetReadState() {
  IndexR = IndexG = IndexB = 0;
  Index1D = 0;
  Size = -1;
  Range = -1;
  Complete = false;
}

void TGenericLutFormat::ParseLine(std::string_view, TLUT&) {}

void TGenericLutFormat::ParseAllLines(const std::string& file_name, TLUT& lut) {
  ResetReadState();
  TTextFile text;
  text.ReadFromFile(file_name);
  Lines = &text;
  try {
    for (std::size_t i = 0; i < text.Count(); ++i) ParseLine(text[i], lut);
  } catch (...) {
    Lines = nullptr;
    throw;
  }
  Lines = nullptr;
}

void TGenericLutFormat::Load(const std::string& file_name, TLUT& lut) {
  ParseAllLines(file_name, lut);
  if (Is3D) {
    lut.Kind = TLUTKind::lk3D;
    lut.Size3D = Size;
  } else {
    lut.Kind = TLUTKind::lk1D;
    lut.Size1D = Size;
  }
  if (!Complete) throw ELUTError("Incomplete file.");
}

bool TGenericLutFormat::StoreAndStepRedFastest(TLUT& lut, double r, double g, double b) {
  // A size that changed under the cursor must not lead it out of the table.
  if (Size < 1 || IndexR >= Size || IndexG >= Size || IndexB >= Size) return false;
  lut.Table3D(IndexR, IndexG, IndexB) = TLUTEntry{r, g, b};
  if (++IndexR < Size) return false;
  IndexR = 0;
  if (++IndexG < Size) return false;
  IndexG = 0;
  if (++IndexB < Size) return false;
  IndexB = 0;
  return true;
}

bool TGenericLutFormat::StoreAndStepBlueFastest(TLUT& lut, double r, double g, double b) {
  if (Size < 1 || IndexR >= Size || IndexG >= Size || IndexB >= Size) return false;
  lut.Table3D(IndexR, IndexG, IndexB) = TLUTEntry{r, g, b};
  if (++IndexB < Size) return false;
  IndexB = 0;
  if (++IndexG < Size) return false;
  IndexG = 0;
  if (++IndexR < Size) return false;
  IndexR = 0;
  return true;
}

void TGenericLutFormat::StoreRedFastest(TLUT& lut, double r, double g, double b) {
  if (!Complete && StoreAndStepRedFastest(lut, r, g, b)) Complete = true;
}

void TGenericLutFormat::StoreBlueFastest(TLUT& lut, double r, double g, double b) {
  if (!Complete && StoreAndStepBlueFastest(lut, r, g, b)) Complete = true;
}

void TGenericLutFormat::Store1D(TLUT& lut, double r, double g, double b) {
  if (Complete || Size < 1 || Index1D >= Size) return;
  lut.Table1D(Index1D) = TLUTEntry{r, g, b};
  if (++Index1D == Size) Complete = true;
}

void RaiseReadOnly(const TLUTFormat& format) {
  throw ELUTError("The format \"" + format.Name + "\" is read only; it cannot be written.");
}

// ---------------------------------------------------------------------------
// Registry

namespace {

struct Registry {
  std::vector<std::unique_ptr<TLUTFormat>> formats;
  std::vector<std::unique_ptr<TLutOutputProfile>> profiles;
  Registry() {
    CreateLUTFormats(formats);
    CreateOutputProfiles(profiles);
  }
};

const Registry& TheRegistry() {
  static const Registry registry;
  return registry;
}

}  // namespace

const std::vector<std::unique_ptr<TLUTFormat>>& LUTFormats() { return TheRegistry().formats; }
const std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles() { return TheRegistry().profiles; }

TLUTFormat* LUTFormatByIndex(int index) {
  const auto& formats = LUTFormats();
  if (index < 0 || static_cast<std::size_t>(index) >= formats.size()) return nullptr;
  return formats[static_cast<std::size_t>(index)].get();
}

const TLutOutputProfile& OutputProfileByIndex(int index) {
  return *OutputProfiles().at(static_cast<std::size_t>(index));
}

const TLutOutputProfile* OutputProfileByCaption(std::string_view caption) {
  for (const auto& p : OutputProfiles()) {
    if (p->Caption == caption) return p.get();
  }
  return nullptr;
}

TLutOutputProfile& AddOutputProfile(std::vector<std::unique_ptr<TLutOutputProfile>>& profiles, std::string caption,
                                    std::string extension, int format_index, int default_size, int default_bits,
                                    bool size_selectable, bool bits_selectable) {
  auto p = std::make_unique<TLutOutputProfile>();
  p->Caption = std::move(caption);
  p->Extension = std::move(extension);
  p->FormatIndex = format_index;
  p->DefaultSize = default_size;
  p->DefaultBits = default_bits;
  p->SizeSelectable = size_selectable;
  p->BitsSelectable = bits_selectable;
  profiles.push_back(std::move(p));
  return *profiles.back();
}

int DetectLUTFormat(const std::string& file_name) {
  const auto& formats = LUTFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->CanRead(file_name)) return static_cast<int>(i);
  }
  return -1;
}

void LoadLUTFile(const std::string& file_name, TLUT& lut, int format_index) {
  lut.Comments.clear();
  if (format_index != -1) {
    TLUTFormat* format = LUTFormatByIndex(format_index);
    if (format == nullptr) throw ELUTError("Unknown LUT format index " + std::to_string(format_index) + ".");
    format->Load(file_name, lut);
    lut.FormatIndex = format_index;
    return;
  }
  lut.FormatIndex = -1;
  const int detected = DetectLUTFormat(file_name);
  if (detected < 0) return;
  LUTFormatByIndex(detected)->Load(file_name, lut);
  lut.FormatIndex = detected;
}

void SaveLUTFile(const std::string& file_name, const TLUT& lut, const TLutOutputProfile& profile, int bits) {
  if (bits == -1) bits = profile.DefaultBits;
  TLUTFormat* format = LUTFormatByIndex(profile.FormatIndex);
  if (format == nullptr) throw ELUTError("The output profile \"" + profile.Caption + "\" has no format.");
  format->Save(file_name, lut, bits);
}

}  // namespace zelvo
