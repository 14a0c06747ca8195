#pragma once
// Text and number helpers shared by every reader and writer of the program's files.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

inline constexpr std::string_view CRLF = "\r\n";

// The leading number of a text, as a double; blank, empty or non-numeric text reads as 0.
// A number too large for a double reads as plus or minus infinity, so range checks refuse it.
double LeadingNumber(std::string_view text);
// True when the text starts (after blanks) with something LeadingNumber can read.
bool HasLeadingNumber(std::string_view text);

// A whole number written with digits only (blanks around it and a sign allowed); nothing when
// the text holds anything else or the number does not fit.
std::optional<long long> WholeNumber(std::string_view text);
// The nearest whole number of a value, held within the range of an int; NaN gives 0.
int ClampedInt(double value);
// A value in single precision, held within its range (infinity becomes the largest float).
float ClampedFloat(double value);

std::string Trim(std::string_view text);  // blanks and tabs at both ends
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// A number as the program writes it into fields and files: up to 15 significant digits,
// no trailing zeros, always a point ("6.35889", "-5", "0").
std::string NumberText(double value);
// Whole number with at least `digits` digits ("00" pattern).
std::string ZeroPadded(long long value, int digits);
// Fixed decimals with a minimum count of integer digits ("#00#.#0" is (3, 2)), rounded
// half away from zero, minus sign before the digits.
std::string FixedPattern(double value, int minIntegerDigits, int decimals);

// The lines of a text; CR LF, LF and a CR alone each end a line. A last line without an end
// counts; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);
// A file's bytes as they are (for copies and backups). Nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
// A text file in UTF-8, whatever it was written in (DecodeFileText): every text file the
// program reads comes through here. Nothing when it cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);
// A text file (as ReadTextFile) as lines (as SplitLines).
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path);

// The outcome of a write: empty `error` when the file was written, else the cause as the
// system words it ("No space left on device").
struct WriteResult {
  std::string error;
  explicit operator bool() const { return error.empty(); }
};
// Writes text to a new temporary file beside `path` (beside the target of a symbolic link),
// flushes it to the disk, then renames it over the file, so a failure never leaves a
// half-written file: the old file stays. An existing file keeps its permissions. What is no
// regular file (a FIFO, a terminal, /dev/null, /dev/stdout) is written in place, as it is.
WriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view contents);
// Where a text goes piece by piece (a line, a cell): a file being written, standard output,
// a string. A text of any size is written without being held whole.
using TextSink = std::function<void(std::string_view piece)>;
// The same for a text made piece by piece: `write` hands its pieces to the sink. When it
// raises an exception, nothing is written and the exception goes on.
WriteResult WriteFileAtomically(const std::filesystem::path& path, const std::function<void(const TextSink&)>& write);
// The two halves of WriteFileAtomically, for a writer that does more between them (keeps a
// backup): the text written and flushed to a new temporary file beside `path`, ...
struct TemporaryFile {
  std::filesystem::path path;  // empty when nothing was left on the disk
  WriteResult result;
};
TemporaryFile WriteTemporaryBeside(const std::filesystem::path& path, std::string_view contents);
// ... then that file renamed over `path`. On failure the temporary file is removed.
WriteResult ReplaceWithTemporary(const std::filesystem::path& temporary, const std::filesystem::path& path);
// "The file /x/y.csv could not be written: No space left on device."
std::string WriteFailureText(const std::filesystem::path& file, const WriteResult& result);
// Text files written on Windows are in its code page 1252 ("Zoë" has the byte EB); the
// program holds text as UTF-8. A file is read as UTF-8 when it is valid UTF-8 (a leading
// byte-order mark dropped), else as Windows-1252.
struct DecodedText {
  std::string text;  // UTF-8
  bool windows1252 = false;
};
DecodedText DecodeFileText(std::string_view bytes);
bool IsValidUtf8(std::string_view text);
std::string Windows1252ToUtf8(std::string_view bytes);
// The text with every byte that is no part of a UTF-8 character read as Windows-1252, so what
// an export writes is UTF-8 whatever reached it.
std::string ValidUtf8(std::string_view text);
// Names compared ignoring case in any script ("ZOË" and "zoë").
std::string FoldCase(std::string_view utf8);
// Names searched ignoring case and accents ("Zürich", "ZURICH" and "zurich" are alike; "ø",
// "ł", "æ" count as "o", "l", "ae").
std::string FoldForSearch(std::string_view utf8);
// The folded spellings a name is found by: FoldForSearch, and where the name has an umlaut, also
// the spelling with it written out as German does ("München": "munchen" and "muenchen").
std::vector<std::string> FoldedSpellings(std::string_view utf8);

// Joins lines, each ended by CR LF.
std::string JoinCrlf(const std::vector<std::string>& lines);

// Comma-separated values as the program's data files hold them: blanks around a value are
// dropped, a value ends at a comma or line end (CR LF, LF or CR), a value in double quotes may
// hold commas and doubled quotes (""). A value that only starts with a quote ("Old" Town) is
// read as it stands.
//
// The values of one line.
std::vector<std::string> SplitValues(std::string_view line);
// A value as it is written so that it reads back as it is: in double quotes, inner quotes
// doubled, when it holds a comma, starts with a quote or has blanks at either end; else bare.
std::string QuotedWhereNeeded(std::string_view value);

// The values of a whole text, read one by one; a record may run across line ends.
class ValueStream {
 public:
  explicit ValueStream(std::string text);
  bool AtEnd() const;
  // The next value; nothing when the stream is exhausted.
  std::optional<std::string> Next();

 private:
  void SkipBlankLines();
  size_t LineEndLength(size_t pos) const;  // 0 when no line ends at pos
  std::string text_;
  size_t pos_ = 0;
};

// A file of the directory whose name matches ignoring case; the exact name when none does.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& dir, const std::string& name);

}  // namespace kesmora
