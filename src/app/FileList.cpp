#include "app/FileList.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "app/Paths.h"
#include "base/Errors.h"
#include "registry/Registry.h"

namespace zelvo {

namespace fs = std::filesystem;

namespace {

bool Hidden(const fs::path& path) { return path.filename().string().starts_with('.'); }

// What a path is, when it is not a regular file to read; empty when it is.
std::string KindProblem(const std::string& path) {
  std::error_code ec;
  const fs::file_status own = fs::symlink_status(path, ec);
  if (own.type() == fs::file_type::not_found) return "not found";
  if (ec) return "cannot be read: " + ec.message();
  fs::file_status target = own;
  if (fs::is_symlink(own)) {
    target = fs::status(path, ec);
    if (target.type() == fs::file_type::not_found) return "broken link";
    if (ec) return "broken link: " + ec.message();  // a loop of links
  }
  switch (target.type()) {
    case fs::file_type::regular:
      return {};
    case fs::file_type::directory:
      return "a folder, not a file";
    case fs::file_type::fifo:
      return "a pipe, not a file";
    case fs::file_type::block:
    case fs::file_type::character:
      return "a device, not a file";
    case fs::file_type::socket:
      return "a socket, not a file";
    default:
      return "not a file";
  }
}

void Walk(const fs::path& folder, bool subfolders, std::vector<TListedFile>& out) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  std::vector<fs::path> inner;
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    if (Hidden(entry.path())) continue;
    std::error_code type_ec;
    if (entry.is_directory(type_ec)) {
      if (subfolders && !entry.is_symlink(type_ec)) inner.push_back(entry.path());
      continue;
    }
    out.push_back(TListedFile{entry.path().string(), TLUTFormatId::None, {}});
  }
  // What the folder gave before an error stays; the folder says the rest.
  if (ec) out.push_back(TListedFile{folder.string(), TLUTFormatId::None, "folder cannot be read: " + ec.message()});
  for (const fs::path& sub : inner) Walk(sub, true, out);
}

}  // namespace

void CheckListedFile(TListedFile& file) {
  if (!file.Problem.empty()) return;
  file.Format = TLUTFormatId::None;
  file.Problem = KindProblem(file.Path);
  if (!file.Problem.empty()) return;
  errno = 0;
  if (std::FILE* f = std::fopen(file.Path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    file.Problem = "cannot be read: " + std::generic_category().message(errno != 0 ? errno : EIO);
    return;
  }
  try {
    file.Format = DetectLUTFormat(file.Path);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const EZelvoError& e) {
    file.Problem = "cannot be read: " + e.Described();
  } catch (const std::exception& e) {
    file.Problem = std::string("cannot be read: ") + e.what();
  }
}

std::vector<TListedFile> FolderEntries(const std::string& folder, bool subfolders) {
  std::vector<TListedFile> files;
  Walk(fs::path(folder), subfolders, files);
  return files;
}

bool HasSubfolders(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code type_ec;
    if (!Hidden(it->path()) && it->is_directory(type_ec) && !it->is_symlink(type_ec)) return true;
  }
  return false;
}

std::string AbsoluteLocalPath(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(path), ec);
  if (ec) return path;
  absolute = absolute.lexically_normal();
  // "/a/b/" is the folder "/a/b"; the root keeps its separator.
  if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
  return absolute.string();
}

void SortByPathIgnoringCase(std::vector<TListedFile>& files) {
  std::vector<std::pair<QString, std::size_t>> keys;
  keys.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) keys.emplace_back(DisplayPath(files[i].Path), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
  });
  std::vector<TListedFile> sorted;
  sorted.reserve(files.size());
  for (const auto& key : keys) sorted.push_back(std::move(files[key.second]));
  files = std::move(sorted);
}

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

std::string FolderPart(const std::string& path) { return fs::path(path).parent_path().string(); }

}  // namespace zelvo
