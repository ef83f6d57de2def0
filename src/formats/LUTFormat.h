// The format base classes, the registry of formats and output profiles, and
// the load, save and detection entry points.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/TextFile.h"
#include "lut/Errors.h"
#include "lut/LUT.h"

namespace zelvo {

class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is_3d) : Name(std::move(name)), Is3D(is_3d) {}
  virtual ~TLUTFormat() = default;
  TLUTFormat(const TLUTFormat&) = delete;
  TLUTFormat& operator=(const TLUTFormat&) = delete;

  const std::string Name;
  const bool Is3D;

  // True when this format recognises the file. Changes no state.
  virtual bool CanRead(const std::string& file_name) const = 0;
  // Reads the file into the LUT: Kind, size, entries and comments.
  virtual void Load(const std::string& file_name, TLUT& lut) = 0;
  // Writes the LUT, already of the kind and size the format needs. Integer
  // formats quantise at `bits`; floating-point formats ignore it.
  virtual void Save(const std::string& file_name, const TLUT& lut, int bits) const = 0;

  // Whether this build reads and writes the format; the registry lists and the
  // command line show it. Write-only and read-only formats say so here.
  virtual bool CanLoad() const { return true; }
  virtual bool CanSave() const { return true; }
};

// The common base of every concrete format: keyword detection and the generic
// line-driven reader with its cursor state.
class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  void Load(const std::string& file_name, TLUT& lut) override;
  // Called by the generic Load once per line, in file order.
  virtual void ParseLine(std::string_view line, TLUT& lut);

  // True when no Excluded keyword and every Required keyword occur, ignoring
  // case, in the first 4096 bytes of the file.
  bool MatchSignature(const std::string& file_name, std::string_view required,
                      std::string_view excluded = {}) const;

 protected:
  // Reading state of the load in progress, reset at the start of every Load.
  int IndexR = 0;
  int IndexG = 0;
  int IndexB = 0;
  int Index1D = 0;
  int Size = -1;
  int Range = -1;
  bool Complete = false;
  const TTextFile* Lines = nullptr;  // exists only during Load

  void ResetReadState();
  // Sets Size from a header after checking it against the table capacity.
  void SetGridSize(long long size) { CheckGridSize(size); Size = static_cast<int>(size); }
  void Set1DSize(long long size) { Check1DSize(size); Size = static_cast<int>(size); }

  // Store the next 3D row with red varying fastest (then green, blue slowest) or
  // blue fastest; sets Complete after the last of Size^3 rows and ignores rows
  // after that. Size must have been checked (SetGridSize).
  void StoreRedFastest(TLUT& lut, double r, double g, double b);
  void StoreBlueFastest(TLUT& lut, double r, double g, double b);
  // The cursor alone: store at [IndexR][IndexG][IndexB] if the cursor is inside
  // the grid, then step it. Return true when that row completed the grid.
  bool StoreAndStepRedFastest(TLUT& lut, double r, double g, double b);
  bool StoreAndStepBlueFastest(TLUT& lut, double r, double g, double b);
  // Store the next 1D row; sets Complete when Index1D reaches Size.
  void Store1D(TLUT& lut, double r, double g, double b);

  // Runs the line loop of the generic Load without its final steps, for
  // formats that wrap it and decide the kind themselves.
  void ParseAllLines(const std::string& file_name, TLUT& lut);
};

// The Save of a read-only format: no profile writes through it, and a caller
// that tries anyway gets a clear error instead of a file that was never written.
[[noreturn]] void RaiseReadOnly(const TLUTFormat& format);

class TLutOutputProfile {
 public:
  std::string Caption;
  std::string Extension;  // without the dot
  int FormatIndex = -1;
  int DefaultSize = 0;
  int DefaultBits = 0;  // 0 for floating-point formats
  bool SizeSelectable = false;
  bool BitsSelectable = false;
};

// The registry. Created on first use, in registry order; lives until exit.
const std::vector<std::unique_ptr<TLUTFormat>>& LUTFormats();
const std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles();

TLUTFormat* LUTFormatByIndex(int index);
const TLutOutputProfile& OutputProfileByIndex(int index);
// The profile whose Caption is exactly `caption`, or nullptr.
const TLutOutputProfile* OutputProfileByCaption(std::string_view caption);

// Index of the first format whose CanRead accepts the file, or -1.
int DetectLUTFormat(const std::string& file_name);
// Reads a file with the given format, or with the detected one for -1. When no
// format recognises the file, the LUT keeps its tables and gets FormatIndex -1.
void LoadLUTFile(const std::string& file_name, TLUT& lut, int format_index = -1);
// Writes through the profile's format; bits -1 means the profile's DefaultBits.
void SaveLUTFile(const std::string& file_name, const TLUT& lut, const TLutOutputProfile& profile, int bits = -1);

// Registry construction (used once by the registry itself).
void CreateLUTFormats(std::vector<std::unique_ptr<TLUTFormat>>& formats);
TLutOutputProfile& AddOutputProfile(std::vector<std::unique_ptr<TLutOutputProfile>>& profiles, std::string caption,
                                    std::string extension, int format_index, int default_size, int default_bits,
                                    bool size_selectable, bool bits_selectable);
void CreateOutputProfiles(std::vector<std::unique_ptr<TLutOutputProfile>>& profiles);

}  // namespace zelvo
