#include "formats/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include "lut/Errors.h"

namespace zelvo {

namespace {

std::string SystemMessage(int err) { return std::generic_category().message(err); }

[[noreturn]] void RaiseOpenError(const std::string& file_name, int err) {
  throw EOSError("Cannot open file \"" + file_name + "\". " + SystemMessage(err));
}

// A FILE handle that is closed on every path.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle OpenForReading(const std::string& file_name) {
  std::error_code ec;
  const auto status = std::filesystem::status(file_name, ec);
  if (std::filesystem::is_directory(status)) RaiseOpenError(file_name, EISDIR);
  // A pipe or device would block the open or never end; a LUT is a plain file.
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw EOSError("Cannot open file \"" + file_name + "\". It is not a regular file.");
  }
  errno = 0;
  FileHandle f(std::fopen(file_name.c_str(), "rb"));
  if (!f) RaiseOpenError(file_name, errno ? errno : ENOENT);
  return f;
}

}  // namespace

std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes) {
  const TByteBuffer head = ReadWholeFile(file_name, max_bytes);
  return std::string(head.data(), head.size());
}

TByteBuffer ReadWholeFile(const std::string& file_name, std::size_t max_bytes) {
  FileHandle f = OpenForReading(file_name);
  const bool whole = max_bytes > kMaxTextFileBytes;
  // One read when the size is known; grow in steps otherwise.
  std::error_code ec;
  const auto known = std::filesystem::file_size(file_name, ec);
  if (whole && !ec && known > kMaxTextFileBytes) {
    throw ELUTError("The file \"" + file_name + "\" is too large to be a LUT file.");
  }
  std::size_t capacity = ec ? 65536 : static_cast<std::size_t>(known) + 1;
  if (!whole) capacity = std::min(capacity, max_bytes);
  TByteBuffer data(std::max<std::size_t>(capacity, 1));
  std::size_t used = 0;
  for (;;) {
    const std::size_t got = std::fread(data.data() + used, 1, data.capacity() - used, f.get());
    used += got;
    if (used < data.capacity()) {
      if (std::ferror(f.get())) {
        throw EOSError("Cannot read file \"" + file_name + "\". " + SystemMessage(errno ? errno : EIO));
      }
      break;
    }
    if (!whole && used >= max_bytes) break;
    if (used > kMaxTextFileBytes) {
      throw ELUTError("The file \"" + file_name + "\" is too large to be a LUT file.");
    }
    // The file grew while it was read: take the rest in a larger buffer.
    TByteBuffer larger(data.capacity() * 2);
    std::memcpy(larger.data(), data.data(), used);
    data = std::move(larger);
  }
  data.set_size(whole ? used : std::min(used, max_bytes));
  return data;
}

void TTextFile::ReadFromFile(const std::string& file_name) {
  const TByteBuffer data = ReadWholeFile(file_name);
  buffer_.assign(data.data(), data.size());
  added_only_ = false;
  SplitLines();
}

void TTextFile::ReadFromText(std::string_view text) {
  buffer_.assign(text.data(), text.size());
  added_only_ = false;
  SplitLines();
}

void TTextFile::SplitLines() {
  spans_.clear();
  std::string_view text(buffer_.data(), buffer_.size());
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  spans_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  const char* base = buffer_.data();
  ForEachLineIn(text, [&](std::string_view line) {
    spans_.push_back(Span{static_cast<std::uint32_t>(line.data() - base), static_cast<std::uint32_t>(line.size())});
    return false;
  });
}

void TTextFile::Add(std::string_view line) {
  if (buffer_.size() + line.size() + LineBreak.size() > UINT32_MAX) {
    throw ELUTError("The text is too large to be written as a LUT file.");
  }
  spans_.push_back(Span{static_cast<std::uint32_t>(buffer_.size()), static_cast<std::uint32_t>(line.size())});
  buffer_.append(line);
  buffer_.append(LineBreak);
  if (spans_.size() == 1) {
    added_break_ = LineBreak;
  } else if (added_break_.size() != LineBreak.size() ||
             (LineBreak.size() == 1 ? added_break_[0] != LineBreak[0] : added_break_ != LineBreak)) {
    mixed_breaks_ = true;
  }
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  spans_.reserve(spans_.size() + lines);
  buffer_.reserve(buffer_.size() + bytes + lines * LineBreak.size());
}

void TTextFile::Clear() {
  buffer_.clear();
  spans_.clear();
  added_only_ = true;
  mixed_breaks_ = false;
  added_break_.clear();
}

std::string TTextFile::Text() const {
  std::size_t total = 0;
  for (const auto& s : spans_) total += s.length + LineBreak.size();
  std::string out;
  out.reserve(total);  // one allocation
  for (const auto& s : spans_) {
    out.append(buffer_, s.offset, s.length);
    out.append(LineBreak);
  }
  return out;
}

std::string_view TTextFile::TextView(std::string& scratch) const {
  if (added_only_ && !mixed_breaks_ && (spans_.empty() || added_break_ == LineBreak)) {
    return std::string_view(buffer_.data(), buffer_.size());
  }
  scratch = Text();
  return scratch;
}

void TTextFile::WriteToFile(const std::string& file_name) const {
  std::string scratch;
  WriteFileAtomically(file_name, TextView(scratch));
}

std::string BaseNameOf(const std::string& file_name) {
  std::string_view name = file_name;
  if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) {
    name.remove_prefix(slash + 1);
  }
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

void WriteFileAtomically(const std::string& file_name, std::string_view data) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Writing through a link replaces the file it points to, not the link.
  fs::path target(file_name);
  if (fs::is_symlink(target, ec)) {
    const fs::path real = fs::canonical(target, ec);
    if (!ec) target = real;
  }
  if (fs::is_directory(target, ec)) {
    throw EOSError("Cannot create file \"" + file_name + "\". " + SystemMessage(EISDIR));
  }
  // The new text goes to a file of its own beside the target first, so that a
  // failure at any point leaves an existing target as it was.
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  fs::path temp;
  FileHandle f;
  for (int attempt = 0; attempt < 16 && !f; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp", static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    temp = target;
    temp += suffix;
    errno = 0;
    f.reset(std::fopen(temp.string().c_str(), "wbx"));
    if (!f && errno != EEXIST) break;
  }
  if (!f) {
    throw EOSError("Cannot create file \"" + file_name + "\". " + SystemMessage(errno ? errno : EACCES));
  }
  auto fail = [&](int err) {
    f.reset();
    std::error_code ignore;
    fs::remove(temp, ignore);
    throw EOSError("Cannot write file \"" + file_name + "\". " + SystemMessage(err ? err : EIO));
  };
  errno = 0;
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f.get()) != data.size()) fail(errno);
  if (std::fflush(f.get()) != 0) fail(errno);
  std::FILE* raw = f.release();
  if (std::fclose(raw) != 0) {
    const int err = errno;
    std::error_code ignore;
    fs::remove(temp, ignore);
    throw EOSError("Cannot write file \"" + file_name + "\". " + SystemMessage(err ? err : EIO));
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignore;
    fs::remove(temp, ignore);
    throw EOSError("Cannot create file \"" + file_name + "\". " + ec.message());
  }
}

}  // namespace zelvo
