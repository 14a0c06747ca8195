#pragma once
// Search-selection files (.opt): which transit planets, natal planets and aspects are ticked.
#include "core/settings/settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kesmora {

// 141 lines: 62 transit planets, 62 natal planets, 17 aspects; "1 - caption" ticks a box.
std::string SelectionText(const Settings& settings, const ReferenceTables& tables);
// Ticks the boxes from a file; a shorter file leaves the boxes it lacks as they are. False
// when the file cannot be read.
bool ReadSelectionFile(Settings& settings, const std::filesystem::path& file);
// The same from the text of such a file.
void ParseSelectionText(Settings& settings, std::string_view text);

}  // namespace kesmora
