// UTF-8 and Windows-1252, and names folded for comparing and searching.
#include "core/reference/text.h"

#include <glib.h>

namespace kesmora {

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

}  // namespace kesmora
