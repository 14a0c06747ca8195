#include "core/test_support.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <fstream>
#include <random>

namespace kesmora::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::random_device rd;
  path_ = fs::temp_directory_path() / ("kesmora-test-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchDir::Write(const std::string& name, const std::string& contents) const {
  fs::path p = path_ / name;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << contents;
  return p;
}

fs::path ShippedDataDir() { return KESMORA_SHIPPED_DATA_DIR; }

void CopyShippedData(const fs::path& dir) {
  fs::create_directories(dir);
  for (const auto& e : fs::directory_iterator(ShippedDataDir()))
    if (e.is_regular_file()) fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing);
}

StartOptions StartIn(const fs::path& home, DateOrder order) {
  StartOptions start;
  start.home = home;
  start.executableDir = ShippedDataDir();
  start.formats = LocaleFormats{order, ClockFormat::Hours24};
  return start;
}

std::array<double, 6> SweCalc(double jdUt, int body, int flags) {
  std::array<double, 6> xx{};
  char error[AS_MAXCH] = "";
  if (swe_calc_ut(jdUt, body, SEFLG_SWIEPH | flags, xx.data(), error) < 0) ADD_FAILURE() << "libswe: " << error;
  return xx;
}

std::vector<std::string> SplitCrlf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
  return lines;
}

}  // namespace kesmora::test
