// Reading the program's files, and writing them whole or not at all.
#include "core/reference/text.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace kesmora {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return DecodeFileText(*bytes).text;
}

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path) {
  auto text = ReadTextFile(path);
  if (!text) return std::nullopt;
  return SplitLines(*text);
}

namespace {

std::string SystemMessage(int error) { return std::error_code(error, std::generic_category()).message(); }

// The file a path finally names, following symbolic links (also one that names no file yet).
std::filesystem::path FinalTarget(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  fs::path target = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(target, ec)) break;
    fs::path link = fs::read_symlink(target, ec);
    if (ec) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

// Opens a new file of a name no other writer uses, beside `target`.
int OpenUniqueTemporary(const std::filesystem::path& target, std::filesystem::path& temp) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target;
    temp += fmt::format(".{}-{}-{:08x}.tmp", getpid(), counter++, random());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    contents.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A new temporary file beside a file's final target, written through a buffer. The file is
// removed again unless it is finished without a failure.
class TemporaryWriter {
 public:
  explicit TemporaryWriter(const std::filesystem::path& path) {
    const std::filesystem::path target = FinalTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    fd_ = OpenUniqueTemporary(target, temp_);
    if (fd_ < 0) {
      Fail(errno);
      return;
    }
    if (exists && S_ISREG(existing.st_mode) && ::fchmod(fd_, existing.st_mode & 07777) != 0) Fail(errno);
  }
  ~TemporaryWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  TemporaryWriter(const TemporaryWriter&) = delete;
  TemporaryWriter& operator=(const TemporaryWriter&) = delete;

  void Write(std::string_view piece) {
    if (fd_ < 0) return;
    if (buffer_.size() + piece.size() < kBufferBytes) {
      buffer_.append(piece);
      return;
    }
    Flush();
    if (piece.size() < kBufferBytes)
      buffer_.append(piece);
    else if (fd_ >= 0 && !WriteAll(fd_, piece))
      Fail(errno);
  }
  // The rest written and flushed to the disk; the file is the caller's from here on.
  TemporaryFile Finish() {
    Flush();
    if (fd_ >= 0 && ::fsync(fd_) != 0) Fail(errno);
    if (fd_ >= 0) {
      const int closed = ::close(fd_);
      fd_ = -1;
      if (closed != 0) Fail(errno);
    }
    if (!error_.empty()) return {{}, {error_}};
    TemporaryFile done{temp_, {}};
    temp_.clear();
    return done;
  }

 private:
  static constexpr size_t kBufferBytes = 1 << 16;
  void Flush() {
    if (fd_ >= 0 && !WriteAll(fd_, buffer_)) Fail(errno);
    buffer_.clear();
  }
  void Fail(int error) {
    if (error_.empty()) error_ = SystemMessage(error);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::filesystem::path temp_;
  int fd_ = -1;
  std::string buffer_;
  std::string error_;
};

}  // namespace

TemporaryFile WriteTemporaryBeside(const std::filesystem::path& path, std::string_view contents) {
  TemporaryWriter writer(path);
  writer.Write(contents);
  return writer.Finish();
}

WriteResult ReplaceWithTemporary(const std::filesystem::path& temporary, const std::filesystem::path& path) {
  const std::filesystem::path target = FinalTarget(path);
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return {SystemMessage(error)};
  }
  // The rename itself reaches the disk with the folder; not every file system can sync one.
  std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

namespace {

// A FIFO, a terminal or a device cannot be replaced by a file. stat follows every link, also
// those of /proc that name a pipe ("/dev/stdout").
bool IsSpecialFile(const std::filesystem::path& path) {
  struct stat existing {};
  return ::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode);
}

// What is written goes to the FIFO, terminal or device itself.
WriteResult WriteInPlace(const std::filesystem::path& path, const std::function<void(const TextSink&)>& write) {
  int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {SystemMessage(errno)};
  int error = 0;
  write([&](std::string_view piece) {
    if (error == 0 && !WriteAll(fd, piece)) error = errno;
  });
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) return {SystemMessage(error)};
  return {};
}

}  // namespace

WriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  return WriteFileAtomically(path, [contents](const TextSink& out) { out(contents); });
}

WriteResult WriteFileAtomically(const std::filesystem::path& path,
                                const std::function<void(const TextSink&)>& write) {
  if (IsSpecialFile(path)) return WriteInPlace(path, write);
  TemporaryFile temp;
  {
    TemporaryWriter writer(path);
    write([&](std::string_view piece) { writer.Write(piece); });
    temp = writer.Finish();
  }
  if (!temp.result) return temp.result;
  return ReplaceWithTemporary(temp.path, path);
}

std::string WriteFailureText(const std::filesystem::path& file, const WriteResult& result) {
  return fmt::format("The file {} could not be written: {}.", file.string(), result.error);
}

std::filesystem::path FindIgnoringCase(const std::filesystem::path& dir, const std::string& name) {
  std::error_code ec;
  if (std::filesystem::exists(dir / name, ec)) return dir / name;
  std::string wanted = ToLower(name);
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (ToLower(entry.path().filename().string()) == wanted) return entry.path();
  return dir / name;
}

}  // namespace kesmora
