#include "core/reference/text.h"

#include <fmt/format.h>
#include <glib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <system_error>

namespace kesmora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view text, size_t pos = 0) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// Whether a number that does not fit a double is too large (true) or too small (false):
// the place of its first significant digit, counted from the point, plus its exponent.
bool Overflows(std::string_view number) {
  size_t i = 0;
  long long place = 0;
  bool seenDigit = false, afterPoint = false;
  for (; i < number.size(); ++i) {
    char c = number[i];
    if (c == '.') {
      afterPoint = true;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      if (c != '0') seenDigit = true;
      if (!afterPoint && seenDigit) ++place;   // an integer digit from the first significant one
      if (afterPoint && !seenDigit) --place;   // a zero between the point and the first one
    } else {
      break;
    }
  }
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    long long exponent = 0;
    bool negative = false;
    size_t j = i + 1;
    if (j < number.size() && (number[j] == '+' || number[j] == '-')) negative = number[j++] == '-';
    for (; j < number.size() && std::isdigit(static_cast<unsigned char>(number[j])); ++j)
      exponent = std::min(exponent * 10 + (number[j] - '0'), 1LL << 40);
    place += negative ? -exponent : exponent;
  }
  return place > 0;
}

// Parses the leading number; returns the value and how many characters it took (0 if none).
std::pair<double, size_t> ParseLeading(std::string_view text) {
  size_t start = SkipBlanks(text);
  std::string_view rest = text.substr(start);
  bool negative = false;
  size_t sign = 0;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    negative = rest[0] == '-';
    sign = 1;
  }
  std::string_view digits = rest.substr(sign);
  // from_chars takes neither blanks nor a sign, nor "inf"/"nan", which must not count as numbers.
  if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '.'))
    return {0.0, 0};
  double value = 0.0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::invalid_argument) return {0.0, 0};
  if (ec == std::errc::result_out_of_range)
    value = Overflows(digits.substr(0, static_cast<size_t>(end - digits.data())))
                ? std::numeric_limits<double>::infinity()
                : 0.0;
  size_t used = start + sign + static_cast<size_t>(end - digits.data());
  return {negative ? -value : value, used};
}

}  // namespace

double LeadingNumber(std::string_view text) { return ParseLeading(text).first; }

bool HasLeadingNumber(std::string_view text) { return ParseLeading(text).second > 0; }

std::optional<long long> WholeNumber(std::string_view text) {
  size_t b = SkipBlanks(text), e = text.size();
  while (e > b && IsBlank(text[e - 1])) --e;
  std::string_view t = text.substr(b, e - b);
  // One sign at most: from_chars takes a minus but no plus.
  const bool plus = !t.empty() && t[0] == '+';
  if (plus) t.remove_prefix(1);
  if (t.empty() || (plus && t[0] == '-')) return std::nullopt;
  long long value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

int ClampedInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  return static_cast<int>(std::round(std::clamp(value, lo, hi)));
}

float ClampedFloat(double value) {
  constexpr double most = std::numeric_limits<float>::max();
  return static_cast<float>(std::isnan(value) ? value : std::clamp(value, -most, most));
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string ToUpper(std::string_view text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

std::string ToLower(std::string_view text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string NumberText(double value) {
  if (value == 0.0) return "0";  // also folds -0
  std::string s = fmt::format("{:.15g}", value);
  return s;
}

std::string ZeroPadded(long long value, int digits) {
  // The magnitude as unsigned, so the most negative number has one too.
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  std::string text = fmt::format("{:0{}d}", magnitude, digits);
  return value < 0 ? "-" + text : text;
}

std::string FixedPattern(double value, int minIntegerDigits, int decimals) {
  double scale = std::pow(10.0, decimals);
  // Round half away from zero on a decimal representation, so 9.005 does not fall to 9.00.
  double scaled = std::round(std::abs(value) * scale * (1 + 1e-15));
  bool negative = value < 0 && scaled != 0;
  std::string digits = fmt::format("{:.{}f}", scaled / scale, decimals);
  size_t point = digits.find('.');
  size_t intDigits = point == std::string::npos ? digits.size() : point;
  if (static_cast<int>(intDigits) < minIntegerDigits)
    digits.insert(0, static_cast<size_t>(minIntegerDigits) - intDigits, '0');
  if (minIntegerDigits == 0 && digits.rfind("0.", 0) == 0) digits.erase(0, 1);
  return negative ? "-" + digits : digits;
}

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

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
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

namespace {

// Where the UTF-8 text from `p` stops being UTF-8 (`end` when it is all UTF-8). A NUL byte is
// a character here, as in any UTF-8 reader.
const char* EndOfUtf8(const char* p, const char* end) {
  while (p < end) {
    const gchar* stop = nullptr;
    if (g_utf8_validate_len(p, static_cast<gsize>(end - p), &stop)) return end;
    if (*stop != '\0') return stop;
    p = stop + 1;
  }
  return end;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  return EndOfUtf8(text.data(), text.data() + text.size()) == text.data() + text.size();
}

namespace {

// Windows-1252 differs from Latin-1 only in 80..9F. The five codes it leaves free keep the
// control character of the same number, so every byte has a character and no byte is lost.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, gunichar c) {
  char buffer[6];
  out.append(buffer, static_cast<size_t>(g_unichar_to_utf8(c, buffer)));
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80)
      out += ch;
    else
      AppendUtf8(out, b < 0xA0 ? kWindows1252High[b - 0x80] : b);
  }
  return out;
}

std::string ValidUtf8(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  std::string out;
  out.reserve(text.size());
  while (p < end) {
    const char* stop = EndOfUtf8(p, end);
    out.append(p, stop);
    if (stop == end) break;
    out += Windows1252ToUtf8(std::string_view(stop, 1));
    p = stop + 1;
  }
  return out;
}

DecodedText DecodeFileText(std::string_view bytes) {
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(bom.size());
    return {std::string(bytes), false};
  }
  return {Windows1252ToUtf8(bytes), true};
}

namespace {

// Letters that carry their mark in their shape rather than as an accent, read as the letters
// a user types for them.
const char* PlainLetter(gunichar c) {
  switch (c) {
    case 0x00F8: return "o";   // ø
    case 0x0142: return "l";   // ł
    case 0x0111: return "d";   // đ
    case 0x00F0: return "d";   // ð
    case 0x0127: return "h";   // ħ
    case 0x0131: return "i";   // dotless i
    case 0x00E6: return "ae";  // æ
    case 0x0153: return "oe";  // œ
    case 0x00FE: return "th";  // þ
    default: return nullptr;
  }
}

std::string Owned(gchar* text) {
  std::string s = text ? text : "";
  g_free(text);
  return s;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return ToLower(utf8);
  return Owned(g_utf8_casefold(utf8.data(), static_cast<gssize>(utf8.size())));
}

namespace {

constexpr gunichar kCombiningDiaeresis = 0x0308;

std::string FoldAccents(std::string_view utf8, bool umlautsWrittenOut) {
  const std::string folded = FoldCase(utf8);
  if (!IsValidUtf8(folded)) return folded;
  const std::string decomposed = Owned(g_utf8_normalize(folded.data(), static_cast<gssize>(folded.size()), G_NORMALIZE_NFD));
  std::string out;
  out.reserve(decomposed.size());
  for (const char* p = decomposed.c_str(); *p; p = g_utf8_next_char(p)) {
    const gunichar c = g_utf8_get_char(p);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (g_unichar_ismark(c)) {
      // The accent of a decomposed letter; an umlaut written out is an "e" after a, o or u.
      if (umlautsWrittenOut && c == kCombiningDiaeresis && !out.empty() &&
          (out.back() == 'a' || out.back() == 'o' || out.back() == 'u'))
        out += 'e';
    } else if (const char* plain = PlainLetter(c)) {
      out += plain;
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

}  // namespace

std::string FoldForSearch(std::string_view utf8) { return FoldAccents(utf8, false); }

std::vector<std::string> FoldedSpellings(std::string_view utf8) {
  std::vector<std::string> spellings{FoldAccents(utf8, false)};
  std::string writtenOut = FoldAccents(utf8, true);
  if (writtenOut != spellings.front()) spellings.push_back(std::move(writtenOut));
  return spellings;
}

std::string JoinCrlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += CRLF;
  }
  return out;
}

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// One value from `pos` (blanks before it skipped) up to a comma, a line end or the end of the
// text, where `pos` is left.
std::string ReadValue(std::string_view text, size_t& pos) {
  auto atSeparator = [&text](size_t p) { return p >= text.size() || text[p] == ',' || IsLineEnd(text[p]); };
  if (pos < text.size() && text[pos] == '"') {
    std::string value;
    size_t p = pos + 1;
    bool closed = false;
    while (p < text.size() && !IsLineEnd(text[p])) {
      if (text[p] != '"') {
        value += text[p++];
      } else if (p + 1 < text.size() && text[p + 1] == '"') {
        value += '"';
        p += 2;
      } else {
        closed = true;
        ++p;
        break;
      }
    }
    const size_t after = SkipBlanks(text, p);
    if (closed && atSeparator(after)) {
      pos = after;
      return value;
    }
    // A quote that opens no quoted value ("Old" Town, or one never closed): the value is read
    // as it stands, quotes and all.
  }
  size_t end = pos;
  while (!atSeparator(end)) ++end;
  std::string value = Trim(text.substr(pos, end - pos));
  pos = end;
  return value;
}

}  // namespace

std::vector<std::string> SplitValues(std::string_view line) {
  std::vector<std::string> values;
  size_t pos = 0;
  for (;;) {
    pos = SkipBlanks(line, pos);
    values.push_back(ReadValue(line, pos));
    if (pos >= line.size() || line[pos] != ',') return values;
    ++pos;
  }
}

std::string QuotedWhereNeeded(std::string_view value) {
  const bool needed = value.find(',') != std::string_view::npos ||
                      (!value.empty() && (value.front() == '"' || IsBlank(value.front()) || IsBlank(value.back())));
  if (!needed) return std::string(value);
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  out += '"';
  return out;
}

ValueStream::ValueStream(std::string text) : text_(std::move(text)) { SkipBlankLines(); }

size_t ValueStream::LineEndLength(size_t pos) const {
  if (pos >= text_.size()) return 0;
  if (text_[pos] == '\n') return 1;
  if (text_[pos] != '\r') return 0;
  return pos + 1 < text_.size() && text_[pos + 1] == '\n' ? 2 : 1;
}

void ValueStream::SkipBlankLines() {
  for (;;) {
    size_t p = SkipBlanks(text_, pos_);
    if (size_t end = LineEndLength(p)) {
      pos_ = p + end;
      continue;
    }
    if (p >= text_.size()) pos_ = text_.size();
    return;
  }
}

bool ValueStream::AtEnd() const { return pos_ >= text_.size(); }

std::optional<std::string> ValueStream::Next() {
  if (AtEnd()) return std::nullopt;
  pos_ = SkipBlanks(text_, pos_);
  std::string value = ReadValue(text_, pos_);
  if (pos_ < text_.size()) {
    if (size_t lineEnd = LineEndLength(pos_)) {
      pos_ += lineEnd;
      SkipBlankLines();
    } else {
      ++pos_;  // the comma
    }
  }
  return value;
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
