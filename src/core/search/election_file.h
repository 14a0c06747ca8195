#pragma once
// Election files (.elc): plain text, one condition a line, as a person would write it:
//
//   # Signing the lease
//   require time 09:00-17:00
//   require weekday Mon,Tue,Wed,Thu,Fri
//   avoid Moon void
//   avoid Mercury retrograde
//   prefer 2 transit Jupiter 120 natal Sun orb 2
//   prefer hits >= 3
//
// Each line is "require C", "avoid C" or "prefer [W] C" with a condition C as election.h
// writes it and an optional weight W (a number greater than 0, 1 when left out). Blank lines
// and lines starting with "#" are comments. Files are read with LF or CR LF line ends and
// written with CR LF, whole or not at all.
#include "core/reference/text.h"
#include "core/search/election.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kesmora {

inline constexpr const char* kElectionFileExtension = ".elc";

struct ElectionRead {
  Election election;
  // Empty when the file was read; else the one message that says why not, naming the file,
  // and for a line that cannot be read its number and what was expected there.
  std::string error;
  explicit operator bool() const { return error.empty(); }
};

// Reads an election from the text of a file; `file` names it in the messages.
ElectionRead ParseElectionText(std::string_view text, const std::filesystem::path& file, const ReferenceTables& tables);
ElectionRead ReadElectionFile(const std::filesystem::path& file, const ReferenceTables& tables);

// The text of an election file, CR LF lines, with `comment` (one or more lines) at its head.
std::string ElectionFileText(const Election& election, const ReferenceTables& tables, std::string_view comment = {});
WriteResult WriteElectionFile(const std::filesystem::path& file, const Election& election,
                              const ReferenceTables& tables, std::string_view comment = {});

}  // namespace kesmora
