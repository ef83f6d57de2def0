#include "formats/TextFile.h"

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
  if (std::filesystem::is_directory(file_name, ec)) RaiseOpenError(file_name, EISDIR);
  errno = 0;
  FileHandle f(std::fopen(file_name.c_str(), "rb"));
  if (!f) RaiseOpenError(file_name, errno ? errno : ENOENT);
  return f;
}

}  // namespace

std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes) {
  FileHandle f = OpenForReading(file_name);
  std::string head(max_bytes, '\0');
  const std::size_t got = std::fread(head.data(), 1, max_bytes, f.get());
  if (got < max_bytes && std::ferror(f.get())) {
    throw EOSError("Cannot read file \"" + file_name + "\". " + SystemMessage(errno ? errno : EIO));
  }
  head.resize(got);
  return head;
}

void TTextFile::ReadFromFile(const std::string& file_name) {
  FileHandle f = OpenForReading(file_name);
  std::string data;
  char chunk[65536];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, f.get());
    data.append(chunk, got);
    if (data.size() > kMaxTextFileBytes) {
      throw ELUTError("The file \"" + file_name + "\" is too large to be a LUT file.");
    }
    if (got < sizeof chunk) {
      if (std::ferror(f.get())) {
        throw EOSError("Cannot read file \"" + file_name + "\". " + SystemMessage(errno ? errno : EIO));
      }
      break;
    }
  }
  ReadFromText(std::move(data));
}

void TTextFile::ReadFromText(std::string text) {
  buffer_ = std::move(text);
  SplitLines();
}

void TTextFile::SplitLines() {
  spans_.clear();
  const char* data = buffer_.data();
  std::size_t n = buffer_.size();
  if (const void* nul = std::memchr(data, '\0', n)) n = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
  std::size_t i = 0;
  if (n >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) i = 3;
  std::size_t start = i;
  while (i < n) {
    const char c = data[i];
    if (c == '\n' || c == '\r') {
      spans_.emplace_back(start, i - start);
      ++i;
      if (c == '\r' && i < n && data[i] == '\n') ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) spans_.emplace_back(start, n - start);
}

void TTextFile::Add(std::string_view line) {
  spans_.emplace_back(buffer_.size(), line.size());
  buffer_.append(line);
}

void TTextFile::Clear() {
  buffer_.clear();
  spans_.clear();
}

std::string TTextFile::Text() const {
  std::size_t total = 0;
  for (const auto& s : spans_) total += s.second + LineBreak.size();
  std::string out;
  out.reserve(total);
  for (const auto& s : spans_) {
    out.append(buffer_, s.first, s.second);
    out.append(LineBreak);
  }
  return out;
}

void TTextFile::WriteToFile(const std::string& file_name) const { WriteFileAtomically(file_name, Text()); }

void WriteFileAtomically(const std::string& file_name, std::string_view data) {
  namespace fs = std::filesystem;
  const fs::path target(file_name);
  std::error_code ec;
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
