// The format base classes. Which formats exist, the order in which they are
// asked to recognise a file, the output profiles and the load, save and
// detection entry points are the registry's (registry/Registry.h).
//
// A format object never changes after the registry is built: CanRead, Load and
// Save are const, and the state of one load lives in an object that the load
// creates. Any number of loads may run at once, on any threads.
#pragma once

#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/LUTSource.h"
#include "base/TextFile.h"
#include "base/Errors.h"
#include "lut/LUT.h"

namespace zelvo {

// What a load found out about the file besides the table.
struct TLoadInfo {
  int Bits = 0;     // depth of the integer codes read; 0 for decimal values
  int Version = 0;  // a version the file states (the Nucoda cube's), else 0
};

// What the files of a writer hold of a table: output values below Low or
// above High are written as those ends, and a value is written to within half
// of Step plus RelativeStep times its size (a code step, the last decimal
// written, the precision of single floats). A format that takes inputs
// through a curve it writes moves them by up to InputShift, as a share of
// the table's input range. CodeBits is the depth of the integer codes
// written, 0 where values are written as decimals or floats.
struct TWrittenValues {
  double Low = -std::numeric_limits<double>::infinity();
  double High = std::numeric_limits<double>::infinity();
  double Step = 0.0;
  double RelativeStep = 0.0;
  double InputShift = 0.0;
  int CodeBits = 0;
  // The largest rounding of a written value whose size is at most `largest`.
  double HalfStepAt(double largest) const { return 0.5 * (Step + RelativeStep * largest); }
};

class TLUTFormat {
 public:
  TLUTFormat(TLUTFormatId id, std::string name, bool is_3d) : Id(id), Name(std::move(name)), Is3D(is_3d) {}
  virtual ~TLUTFormat() = default;
  TLUTFormat(const TLUTFormat&) = delete;
  TLUTFormat& operator=(const TLUTFormat&) = delete;

  const TLUTFormatId Id;
  const std::string Name;
  const bool Is3D;

  // True when this format recognises the source (its first 4096 bytes, or
  // for a few formats its name's extension).
  virtual bool CanRead(const TLUTSource& source) const = 0;
  // Reads the source into the LUT: Kind, size, entries and comments.
  virtual TLoadInfo Load(const TLUTSource& source, TLUT& lut) const = 0;
  // The text of a file of this format for the LUT, which already has the kind
  // and size the format needs. Integer formats quantise at `bits`;
  // floating-point formats ignore it. `title` names the LUT in formats that
  // carry a name (the target file's name without folder and extension).
  virtual TFileText Save(const TLUT& lut, int bits, std::string_view title) const = 0;

  // Whether this build reads and writes the format; the registry lists and the
  // command line show it. Write-only and read-only formats say so here.
  virtual bool CanLoad() const { return true; }
  virtual bool CanSave() const { return true; }
  // Whether the writer states the input domain of its table (a file whose
  // table covers inputs other than 0..1). Writers that cannot are given tables
  // over 0..1, which is what their readers assume.
  virtual bool StatesDomain() const { return false; }
  // The domain a table written in this format covers, for a source that
  // covers `input`: `input` where the format states domains, 0..1 where it
  // states none. Formats that state one range for all channels widen it to
  // cover every channel's.
  virtual TLUTDomain DomainToWrite(const TLUTDomain& input) const { return StatesDomain() ? input : TLUTDomain{}; }
  // The 1D shaper a file of this format can hold ahead of its 3D table (a
  // LUT of kind lk1DAnd3D): none, a curve per channel, or one curve for all.
  enum class TShaper { None, PerChannel, OneCurve };
  virtual TShaper ShaperKind() const { return TShaper::None; }
  // The most points per axis a 3D table of this format may have.
  virtual int LargestGridSize() const { return kMaxGridSize; }
  // Whether its encoding holds only values 0..1, so that a table with values
  // beyond them is written clipped (the job says so).
  virtual bool ClipsOutputs() const { return false; }
  // Whether a file written at `bits` bits reads back as written (a reader
  // that knows only some depths cannot read the others).
  virtual bool HoldsBits(int bits) const { return bits >= 1 && bits <= 31; }
  // The format that detection finds in a file this format wrote: itself, but
  // for write-only formats (None when no reader knows their files).
  virtual TLUTFormatId ReadBackAs() const { return CanLoad() ? Id : TLUTFormatId::None; }
  // What a file written at `bits` bits (0 for a format of decimals) holds of
  // its values; verifying a written file allows for it. By default integer
  // codes over 0..1 at `bits`, or six decimals.
  virtual TWrittenValues WrittenValues(int bits) const;
  // A table brought to what a file written from it means to this format's
  // readers, where they read it otherwise than the table says: between the
  // points of its 3D table (trilinearly, unless the format states how), or
  // between those of the 1D stage ahead of it (a curve through them, which
  // replaces the stage as the reader samples it). Only the interpolation,
  // the 1D stage and the domains change, so a LUT without a 3D table may be
  // given. False, and `lut` untouched, where the file means the table as it is.
  virtual bool AsReadBack(TLUT& lut) const;
};

// The reading state of one load by the generic line reader: where the next
// row goes, what the header has said, whether the table is full. Formats that
// need more state derive from it and create their own in Load.
class TLineCursor {
 public:
  TLineCursor(const TLUTSource& source, TLUT& lut) : Source(source), LUT(lut) {}
  virtual ~TLineCursor() = default;
  TLineCursor(const TLineCursor&) = delete;
  TLineCursor& operator=(const TLineCursor&) = delete;

  const TLUTSource& Source;
  TLUT& LUT;
  int IndexR = 0;  // grid position of the next 3D row
  int IndexG = 0;
  int IndexB = 0;
  int Index1D = 0;  // position of the next 1D row
  int Size = -1;    // grid size or 1D length from the header; -1 until known
  int Range = -1;   // per format, the largest code or the bit depth; -1 until known
  bool Complete = false;
  // The line being read (1-based); after the loop, the number of lines.
  int Line = 0;
  // Data rows stored so far, for the message of a file cut short.
  std::size_t RowsStored = 0;
  // The rows the size asks for: Size^3 for 3D formats, Size for 1D ones.
  std::size_t ExpectedRows(bool is_3d) const;
  TLoadInfo Info;

  // Take a size from the header, checked against the limits, and allocate the
  // LUT's table for it.
  void SetGridSize(long long size);
  void Set1DSize(long long size);

  // Store the next 3D row with red varying fastest (then green, blue slowest) or
  // blue fastest; Complete is set after the last of Size^3 rows, and a row
  // after it is an error at its line.
  void StoreRedFastest(double r, double g, double b);
  void StoreBlueFastest(double r, double g, double b);
  // The cursor alone: store at [IndexR][IndexG][IndexB] if the cursor is inside
  // the grid, then step it. True when that row completed the grid.
  bool StoreAndStepRedFastest(double r, double g, double b);
  bool StoreAndStepBlueFastest(double r, double g, double b);
  // Store the next 1D row; Complete is set when Index1D reaches Size, and a
  // row after it is an error at its line.
  void Store1D(double r, double g, double b);

  // The rest of the grid in memory order (red fastest), from the cursor on;
  // and the cursor moved past `count` rows stored there (Complete after the
  // last).
  std::size_t RedFastestRowsLeft() const;
  TLUTEntry* RedFastestNext();
  void StepRedFastest(std::size_t count);

  // A comment line of the file for the LUT's Comments. Only the first
  // kMaxComments are kept; the load's end adds a line that says how many more
  // there were, so that a file of millions of comment lines stays small.
  static constexpr std::size_t kMaxComments = 1000;
  void AddComment(std::string_view text);
  std::size_t DroppedComments = 0;

  // For formats whose 1D length is the number of rows: rows are collected
  // here and become the table when the load ends (MoveRowsToTable).
  std::vector<TLUTEntry, LargeAllocator<TLUTEntry>> Rows;
  void AppendRow(double r, double g, double b);
  void MoveRowsToTable();
};

// The common base of every concrete format: keyword detection and the generic
// line-driven reader.
class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  // The generic reader: ParseLine for every line, then the kind and size of
  // the format; "Incomplete file." when the table was not filled.
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // Called by the generic reader once per line, in file order.
  virtual void ParseLine(std::string_view line, TLineCursor& cursor) const;

  // Where plain rows of three decimals would go next, for formats whose rows
  // fill a run of entries in memory order: the generic reader then reads such
  // rows straight from the text, as ParseLine would store them, and tells the
  // format how many it read. No run (count 0) by default.
  struct TRowRun {
    TLUTEntry* Entries = nullptr;
    std::size_t Count = 0;
  };
  virtual TRowRun NextRowRun(TLineCursor& cursor) const;
  virtual void RowsRead(TLineCursor& cursor, std::size_t count) const;

  // True when no Excluded keyword and every Required keyword occur, ignoring
  // case, in the first 4096 bytes of the source.
  static bool MatchSignature(const TLUTSource& source, std::string_view required, std::string_view excluded = {});

 protected:
  // The line loop of the generic reader, for formats that wrap it with a
  // cursor of their own and decide the kind themselves.
  void ParseLines(TLineCursor& cursor) const;
  // The end of the generic reader: Kind and size after Is3D, and
  // "Incomplete file" unless the cursor is Complete (with the rows found and
  // expected once the size is known).
  void FinishLoad(TLineCursor& cursor) const;
  // The generic reader with a cursor of the format's own (derived from
  // TLineCursor, made from the source and the LUT).
  template <typename Cursor>
  TLoadInfo LoadWithCursor(const TLUTSource& source, TLUT& lut) const {
    Cursor cursor(source, lut);
    ParseLines(cursor);
    FinishLoad(cursor);
    return cursor.Info;
  }
  // The generic reader for 1D formats whose table is as long as the rows they
  // read: ParseLine appends the rows to the cursor (AppendRow).
  TLoadInfo LoadRows(const TLUTSource& source, TLUT& lut, int bits = 0) const;
};

// The Save of a read-only format: no profile writes through it, and a caller
// that tries anyway gets a clear error instead of a file that was never written.
[[noreturn]] void RaiseReadOnly(const TLUTFormat& format);

// The 1-based line of a text that holds the byte at `position`.
int LineOfPosition(std::string_view text, std::size_t position);

}  // namespace zelvo
