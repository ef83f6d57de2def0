// What the list of LUT files holds of each path it is given: the path as the
// file system names it (bytes, which need not be UTF-8), and either the
// detected format or why the file cannot be read. Nothing given is left out.
#pragma once

#include <string>
#include <vector>

#include "lut/LUTFormatId.h"

namespace zelvo {

struct TListedFile {
  // The full path, as the file system names it.
  std::string Path;
  // The format detected from the content; None for an unknown file, and for
  // one that cannot be read.
  TLUTFormatId Format = TLUTFormatId::None;
  // Why the file cannot be read ("broken link", "a pipe, not a file" ...);
  // empty when it can.
  std::string Problem;
};

// Fills in Format, or Problem, of a path whose Problem is still empty: links
// followed, anything but a regular file refused before it is opened, and
// every error of the detection caught. Raises only std::bad_alloc.
void CheckListedFile(TListedFile& file);

// The paths a folder gives, unsorted: every entry that is not a folder
// (files, pipes, devices and links, broken or not), without hidden ones;
// with `subfolders` those of every visible subfolder too (links to folders
// are not followed, so nothing is visited twice). A folder that cannot be
// listed is given as an entry of its own with the reason.
std::vector<TListedFile> FolderEntries(const std::string& folder, bool subfolders);
// Whether a folder holds a visible subfolder.
bool HasSubfolders(const std::string& folder);

// A path made absolute and clean, as the list keeps it.
std::string AbsoluteLocalPath(const std::string& path);
// Full paths in order ignoring case (of their text as shown, DisplayPath),
// equal ones in the order given.
void SortByPathIgnoringCase(std::vector<TListedFile>& files);

// The last part of a path and its folder (no trailing separator except for
// the root), as the file system names them.
std::string FileNamePart(const std::string& path);
std::string FolderPart(const std::string& path);

}  // namespace zelvo
