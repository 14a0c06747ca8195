#include "core/reference/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kesmora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view text, size_t pos = 0) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
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
  if (ec == std::errc::result_out_of_range) value = 0.0;
  size_t used = start + sign + static_cast<size_t>(end - digits.data());
  return {negative ? -value : value, used};
}

}  // namespace

double LeadingNumber(std::string_view text) { return ParseLeading(text).first; }

bool HasLeadingNumber(std::string_view text) { return ParseLeading(text).second > 0; }

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
  if (value < 0) return "-" + ZeroPadded(-value, digits);
  return fmt::format("{:0{}d}", value, digits);
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

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path) {
  auto text = ReadWholeFile(path);
  if (!text) return std::nullopt;
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == '\n') {
      if (!current.empty() && current.back() == '\r') current.pop_back();
      lines.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) {
    if (current.back() == '\r') current.pop_back();
    lines.push_back(std::move(current));
  }
  return lines;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path temp = path;
  temp += ".kesmora-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

std::string JoinCrlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += CRLF;
  }
  return out;
}

ValueStream::ValueStream(std::string text) : text_(std::move(text)) { SkipBlankLines(); }

void ValueStream::SkipBlankLines() {
  for (;;) {
    size_t p = pos_;
    while (p < text_.size() && (IsBlank(text_[p]) || text_[p] == '\r')) ++p;
    if (p < text_.size() && text_[p] == '\n') {
      pos_ = p + 1;
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
  std::string value;
  if (pos_ < text_.size() && text_[pos_] == '"') {
    size_t close = text_.find('"', pos_ + 1);
    if (close == std::string::npos) close = text_.size();
    value = text_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = std::min(close + 1, text_.size());
    // Anything after the closing quote up to the separator is dropped.
    while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n') ++pos_;
  } else {
    size_t end = pos_;
    while (end < text_.size() && text_[end] != ',' && text_[end] != '\n') ++end;
    value = text_.substr(pos_, end - pos_);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    value = Trim(value);
    pos_ = end;
  }
  if (pos_ < text_.size()) {
    bool lineEnd = text_[pos_] == '\n';
    ++pos_;
    if (lineEnd) SkipBlankLines();
  }
  return value;
}

}  // namespace kesmora
