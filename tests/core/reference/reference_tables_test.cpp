// Loading the planet, constant and aspect reference files: what they may hold, and the faults
// that end start-up with a message instead of computing every position as 00 Ari 00' 00".
#include "core/test_support.h"
#include "core/reference/reference_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

// A program folder holding the shipped files, any of which a test can replace or remove.
class ReferenceFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { test::CopyShippedData(dir.path()); }
  void Write(const std::string& name, const std::string& contents) { dir.Write(name, contents); }
  ReferenceTables Load() {
    ReferenceTables t;
    LoadReferenceData(t, dir.path());
    return t;
  }
  test::ScratchDir dir;
};

std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int k = 0; k < times; ++k) text += line;
  return text;
}

// Names written in the Windows code page reach the window and the exports in UTF-8, not as the
// bytes that made the CSV and the calendar unreadable.
TEST_F(ReferenceFilesTest, PlanetNamesInTheWindowsCodePageAreReadAsUtf8) {
  Write("planet_names.txt", "Soleil\r\nLune \xE9toil\xE9""e\r\n");
  EXPECT_EQ(Load().Planet(2).name, "Lune étoilée");
}

TEST_F(ReferenceFilesTest, MissingOrFaultyFilesAreFatalWithTheirOwnMessage) {
  const struct {
    const char* file;
    std::string contents;  // "(missing)": the file is removed
    const char* message;   // empty: any message
  } cases[] = {
      {"planet_constants_and_indexes.txt", "(missing)", "I cannot find your 'planet_constants_and_indexes.txt' file"},
      {"aspect_definitions.txt", "(missing)", "I cannot find your 'aspect_definitions.txt' file"},
      {"planets_used.txt", "(missing)", "You are missing the 'planets_used.txt' file."},
      {"planet_names.txt", "(missing)", "You are missing the 'planet_names.txt' file."},
      {"planet_constants_and_indexes.txt", "", "Your 'planet_constants_and_indexes.txt' file is empty."},
      {"aspect_definitions.txt", "\r\n", "Your 'aspect_definitions.txt' file is empty."},
      {"planet_constants_and_indexes.txt", "\"SE_SUN\",1e300\r\n",
       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '1e300', which is not a "
       "whole number."},
      {"planet_constants_and_indexes.txt", "\"SE_SUN\",4294967296\r\n",
       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '4294967296', which is not "
       "a whole number."},
      {"aspect_definitions.txt", "\"000\",\"1e999\"\r\n",
       "Your 'aspect_definitions.txt' file has the aspect '1e999', whose angle is not from 0 to 360 degrees."},
      {"planet_constants_and_indexes.txt", "\"SE_SUNDAY\",0\r\n",
       "Your 'planets_used.txt' file names the constant 'SE_SUN', which 'planet_constants_and_indexes.txt' does not "
       "hold."},
      {"planets_used.txt", Repeated("g SE_SUN\r\n", 63), ""},  // more than 62 planets
      {"aspect_definitions.txt", Repeated("\"000\"\r\n", 18), ""},  // more than 17 aspects
      {"planet_names.txt", Repeated("Sun\r\n", 53), ""},  // more names than planets
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.contents.substr(0, 30));
    SetUp();
    if (c.contents == "(missing)")
      fs::remove(dir.path() / c.file);
    else
      Write(c.file, c.contents);
    try {
      Load();
      ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& e) {
      if (*c.message) {
        EXPECT_EQ(std::string(e.what()), c.message);
      }
      EXPECT_EQ(e.title, "Fatal error");
    }
  }
  SetUp();
  Write("planets_used.txt", Repeated("g SE_SUN\r\n", 62));
  EXPECT_EQ(Load().NumPlanetsUsed(), 62);
}

}  // namespace
}  // namespace kesmora
