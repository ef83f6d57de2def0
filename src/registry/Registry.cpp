// Loading, detecting and saving through the registry's lists.
#include "registry/Registry.h"

#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/TextFile.h"
#include "formats/ReadErrors.h"

namespace zelvo {

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

TLoadInfo LoadLUTFile(const std::string& file_name, TLUT& lut, TLUTFormatId format, const std::string& item_id,
                      const TImageLUTReadOptions& image) {
  lut.Comments.clear();
  lut.FormatIndex = TLUTFormatId::None;
  TLUTSource source = TLUTSource::FromFile(file_name);
  source.SetItemId(item_id);
  source.SetImageOptions(image);
  return LoadLUT(source, lut, format);
}

std::string UnknownFormatDetail(const std::string& file_name) {
  try {
    const TLUTSource head = TLUTSource::FromFileHead(file_name);
    const std::string_view line = head.FirstContentLine();
    if (line.empty()) return " (it holds only comments)";
    return " (it starts with \"" + EscapedRow(line) + "\")";
  } catch (const EZelvoError&) {
    return {};  // the file went: the load has said why
  }
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
