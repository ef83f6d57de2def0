#include "base/TextFile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include "base/Errors.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

TByteBuffer ReadBinaryFile(const std::string& file_name, std::size_t max_bytes, const std::string& too_large) {
  FileHandle f = OpenForReading(file_name);
  std::error_code ec;
  const auto known = std::filesystem::file_size(file_name, ec);
  if (!ec && known > max_bytes) throw EZelvoError(too_large);
  // One byte more than the limit tells a file that grew past it.
  TByteBuffer data(std::max<std::size_t>(ec ? max_bytes + 1 : static_cast<std::size_t>(known) + 1, 1));
  std::size_t used = 0;
  while (used < data.capacity()) {
    const std::size_t got = std::fread(data.data() + used, 1, data.capacity() - used, f.get());
    used += got;
    if (got == 0) break;
  }
  if (std::ferror(f.get())) throw EOSError("Cannot read file \"" + file_name + "\". " + SystemMessage(errno ? errno : EIO));
  if (used > max_bytes) throw EZelvoError(too_large);
  data.set_size(used);
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

namespace {

// The temporary files being written, so that a signal that ends the program
// can remove them: fixed slots that a signal handler may read.
constexpr int kTemporarySlots = 16;
constexpr std::size_t kTemporaryPathMax = 4096;
struct TTemporarySlot {
  std::atomic<bool> used{false};
  char path[kTemporaryPathMax];
};
TTemporarySlot g_temporaries[kTemporarySlots];
std::mutex g_temporaries_mutex;

// Holds a temporary path in a slot while it lives (when a slot is free and
// the path fits: cleaning up after a signal is a courtesy, not a guarantee).
class TTemporaryRegistration {
 public:
  explicit TTemporaryRegistration(const std::string& path) {
    if (path.size() >= kTemporaryPathMax) return;
    std::lock_guard<std::mutex> lock(g_temporaries_mutex);
    for (int i = 0; i < kTemporarySlots; ++i) {
      if (g_temporaries[i].used.load(std::memory_order_relaxed)) continue;
      std::memcpy(g_temporaries[i].path, path.c_str(), path.size() + 1);
      g_temporaries[i].used.store(true, std::memory_order_release);
      slot_ = i;
      return;
    }
  }
  ~TTemporaryRegistration() {
    if (slot_ >= 0) g_temporaries[slot_].used.store(false, std::memory_order_release);
  }
  TTemporaryRegistration(const TTemporaryRegistration&) = delete;
  TTemporaryRegistration& operator=(const TTemporaryRegistration&) = delete;

 private:
  int slot_ = -1;
};

std::function<void(const std::string&)>& TemporaryFileHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

#if !defined(_WIN32)
extern "C" void RemoveTemporariesAndDie(int sig) {
  for (TTemporarySlot& slot : g_temporaries) {
    if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
  }
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}
#endif

[[noreturn]] void RaiseCreateError(const std::string& file_name, int err) {
  throw EOSError("Cannot create file \"" + file_name + "\". " + SystemMessage(err));
}

// Puts the finished temporary file in the target's place: replacing what is
// there, or only where nothing is (a file that appeared since the caller
// looked is then reported, not replaced).
void MoveIntoPlace(const std::filesystem::path& temp, const std::filesystem::path& target,
                   const std::string& file_name, TReplace replace) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (replace == TReplace::Replace) {
    fs::rename(temp, target, ec);
    if (ec) {
      fs::remove(temp, ec);
      RaiseCreateError(file_name, ec.value());
    }
    return;
  }
#if defined(_WIN32)
  // Without an atomic "create only" rename, look once more just before.
  if (fs::exists(target, ec)) {
    fs::remove(temp, ec);
    RaiseCreateError(file_name, EEXIST);
  }
  fs::rename(temp, target, ec);
  const int err = ec.value();
#else
  int err = 0;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) err = errno;
  if (err == EINVAL || err == ENOSYS || err == ENOTSUP) err = -1;  // the file system cannot: take a link
#else
  err = -1;
#endif
  if (err == -1) {
    // A hard link is made only where no file is; the temporary name then goes.
    err = ::link(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (err == 0) ::unlink(temp.c_str());
  }
#endif
  if (err != 0) {
    fs::remove(temp, ec);
    RaiseCreateError(file_name, err);
  }
}

}  // namespace

void InstallTemporaryFileCleanup() {
#if !defined(_WIN32)
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, RemoveTemporariesAndDie);
#endif
}

void SetTemporaryFileHook(std::function<void(const std::string& temp_path)> hook) {
  TemporaryFileHook() = std::move(hook);
}

namespace {

// Where a write goes and what is there now.
struct TWriteTarget {
  std::filesystem::path Path;  // a link resolved to the file it points to
  bool Exists = false;
#if !defined(_WIN32)
  mode_t Mode = 0;  // of the file replaced, which the new one keeps
#endif
};

// The target of a write, refused when it is a folder, when it exists and
// must not be replaced, and when the user may not write it: such a file is
// refused, as cp refuses it, rather than replaced behind the user's back.
TWriteTarget CheckWriteTarget(const std::string& file_name, TReplace replace) {
  namespace fs = std::filesystem;
  std::error_code ec;
  TWriteTarget t;
  // Writing through a link replaces the file it points to, not the link.
  t.Path = fs::path(file_name);
  if (fs::is_symlink(t.Path, ec)) {
    const fs::path real = fs::canonical(t.Path, ec);
    if (!ec) t.Path = real;
  }
  const fs::file_status status = fs::status(t.Path, ec);
  if (fs::is_directory(status)) RaiseCreateError(file_name, EISDIR);
  t.Exists = fs::exists(status);
  if (t.Exists && replace == TReplace::KeepExisting) RaiseCreateError(file_name, EEXIST);
#if !defined(_WIN32)
  struct stat existing {};
  if (t.Exists) {
    if (::access(t.Path.c_str(), W_OK) != 0) RaiseCreateError(file_name, errno);
    if (::stat(t.Path.c_str(), &existing) != 0) RaiseCreateError(file_name, errno);
    t.Mode = existing.st_mode & 07777;
  }
#endif
  return t;
}

// A new file of a short name of its own in the target's folder, so that any
// name that is legal for the target can be written, however long.
FileHandle CreateTemporaryBeside(const TWriteTarget& target, const std::string& file_name,
                                 std::filesystem::path& temp) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  FileHandle f;
  for (int attempt = 0; attempt < 16 && !f; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, ".zelvo-%012llx.tmp", static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    temp = target.Path.parent_path() / name;
    errno = 0;
    f.reset(std::fopen(temp.string().c_str(), "wbx"));
    if (!f && errno != EEXIST) break;
  }
  if (!f) RaiseCreateError(file_name, errno ? errno : EACCES);
  return f;
}

}  // namespace

void WriteFileAtomically(const std::string& file_name, std::string_view data, TReplace replace) {
  namespace fs = std::filesystem;
  const TWriteTarget target = CheckWriteTarget(file_name, replace);
  // The new text goes to a file of its own beside the target first, so that a
  // failure at any point leaves an existing target as it was.
  fs::path temp;
  FileHandle f = CreateTemporaryBeside(target, file_name, temp);
  const TTemporaryRegistration registration(temp.string());
  auto fail = [&](int err) {
    f.reset();
    std::error_code ignore;
    fs::remove(temp, ignore);
    throw EOSError("Cannot write file \"" + file_name + "\". " + SystemMessage(err ? err : EIO));
  };
#if !defined(_WIN32)
  if (target.Exists && ::fchmod(::fileno(f.get()), target.Mode) != 0) fail(errno);
#endif
  if (TemporaryFileHook()) TemporaryFileHook()(temp.string());
  errno = 0;
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f.get()) != data.size()) fail(errno);
  if (std::fflush(f.get()) != 0) fail(errno);
  std::FILE* raw = f.release();
  if (std::fclose(raw) != 0) fail(errno);
  MoveIntoPlace(temp, target.Path, file_name, replace);
}

}  // namespace zelvo
