// Numbers and texts as the program's files hold them: leading numbers, number patterns, lines
// and comma-separated values.
#include "core/reference/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

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

}  // namespace kesmora
