#pragma once
// Search-selection files (.opt): which transit planets, natal planets and aspects are ticked.
#include "core/reference/text.h"
#include "core/settings/settings.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kesmora {

// 62 transit planets, 62 natal planets, 17 aspects.
inline constexpr size_t SelectionLines = 2 * NumPlanetBoxes + NumAspectBoxes;

// 141 lines: "1 - caption" ticks a box, "0 - caption" clears it.
std::string SelectionText(const Settings& settings, const ReferenceTables& tables);

struct SelectionLoad {
  enum class Status { Loaded, Unreadable, TooShort };
  Status status = Status::Loaded;
  size_t lineCount = 0;  // lines the file has
  explicit operator bool() const { return status == Status::Loaded; }
};

// Ticks the boxes from a file: only the first character of a line counts ("1" ticks, anything
// else clears). A file that cannot be read or has fewer than 141 lines changes no box.
SelectionLoad ReadSelectionFile(Settings& settings, const std::filesystem::path& file);
// The same from the text of such a file.
SelectionLoad ParseSelectionText(Settings& settings, std::string_view text);
// What went wrong, as the user is told it.
std::string SelectionLoadError(const SelectionLoad& load, const std::string& file);

// Why a search selection may not be saved as `file`: it is one of the program's own files of
// `programDir` (OPTIONS.OPT, OPTIONS.MST, Kesmora.INI, a reference file), also when reached
// through a link. Nothing when it may.
std::optional<std::string> ProgramFileRefusal(const std::filesystem::path& file,
                                              const std::filesystem::path& programDir);

// Replaces the file as a whole; when it cannot be written the old file stays.
WriteResult WriteSelectionFile(const Settings& settings, const ReferenceTables& tables, const std::filesystem::path& file);

}  // namespace kesmora
