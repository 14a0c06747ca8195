#pragma once
// Helpers for core tests: a scratch program directory seeded with the shipped data, and libswe
// asked directly for the values a test compares with.
#include "core/app/startup.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace kesmora::test {

// A fresh, empty directory under the system temp folder, removed when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Writes a file with the given contents (bytes as given) and returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& contents) const;

 private:
  std::filesystem::path path_;
};

// The folder of shipped data files (data/ in the source tree).
std::filesystem::path ShippedDataDir();
// Copies every shipped data file into `dir`.
void CopyShippedData(const std::filesystem::path& dir);
// How a test starts a session in `home`: the shipped files beside the program, a 24-hour clock.
StartOptions StartIn(const std::filesystem::path& home, DateOrder order = DateOrder::MonthDayYear);
// libswe's swe_calc_ut with SEFLG_SWIEPH and `flags`, at a UT moment; a failure is a test failure.
std::array<double, 6> SweCalc(double jdUt, int body, int flags = 0);
// The lines of a text that must end each with CR LF (a failure is recorded otherwise).
std::vector<std::string> SplitCrlf(const std::string& text);

}  // namespace kesmora::test
