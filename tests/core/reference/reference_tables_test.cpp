// Loading the planet, constant and aspect reference files.
#include "core/test_support.h"
#include "core/reference/reference_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

TEST(ShippedReferenceData, LoadsTheFixedIndexes) {
  ReferenceTables t;
  LoadReferenceData(t, test::ShippedDataDir());
  ASSERT_EQ(t.NumPlanetsUsed(), 52);
  EXPECT_EQ(t.Planet(1).name, "Sun");
  EXPECT_EQ(t.Planet(1).cls, "g");
  EXPECT_EQ(t.Planet(2).name, "Moon");
  EXPECT_EQ(t.Planet(13).name, "South Node");
  // The South Node is the node body itself, turned by 180 degrees by the calculator.
  EXPECT_EQ(t.Planet(13).sweNumber, t.Planet(11).sweNumber);
  EXPECT_EQ(t.Planet(15).code, "ASC");
  EXPECT_EQ(t.Planet(22).code, "POF_d");
  EXPECT_EQ(t.Planet(23).code, "POF_n");
  for (int i : {1, 2, 6, 8, 11, 12, 52}) EXPECT_TRUE(t.IsBody(i)) << i;
  for (int i = 1; i <= t.NumPlanetsUsed(); ++i) {
    EXPECT_FALSE(t.Planet(i).name.empty()) << i;
    EXPECT_FALSE(t.Planet(i).cls.empty()) << i;
    EXPECT_NE(t.IsBody(i), t.IsHouseDependent(i)) << i;
    EXPECT_EQ(t.constName[static_cast<size_t>(t.Planet(i).constRow)].substr(3), t.Planet(i).code) << i;
  }
  const ClassCounts& c = t.classCounts;
  EXPECT_EQ(c.g + c.c + c.p + c.l + c.t + c.d + c.a, 52);
  EXPECT_EQ(c.c, 12);
  EXPECT_EQ(t.aspectCaptions[0], "000");
  EXPECT_EQ(t.aspectCaptions[16], "c.p");
  EXPECT_DOUBLE_EQ(t.AspectAngle(14), 180);
}

// A program folder holding the shipped files, any of which a test can replace or remove.
class ReferenceFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { test::CopyShippedData(dir.path()); }
  void Write(const std::string& name, const std::string& contents) { dir.Write(name, contents); }
  void Remove(const std::string& name) { fs::remove(dir.path() / name); }
  ReferenceTables Load() {
    ReferenceTables t;
    LoadReferenceData(t, dir.path());
    return t;
  }
  test::ScratchDir dir;
};

struct MissingFileCase {
  const char* file;
  const char* message;
};

class MissingReferenceFileTest : public ReferenceFilesTest,
                                 public ::testing::WithParamInterface<MissingFileCase> {};

TEST_P(MissingReferenceFileTest, IsFatalWithItsOwnMessage) {
  Remove(GetParam().file);
  try {
    Load();
    FAIL() << "no FatalError for " << GetParam().file;
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), GetParam().message);
    EXPECT_EQ(e.title, "Fatal error");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingReferenceFileTest,
    ::testing::Values(
        MissingFileCase{"planet_constants_and_indexes.txt",
                        "I cannot find your 'planet_constants_and_indexes.txt' file"},
        MissingFileCase{"aspect_definitions.txt", "I cannot find your 'aspect_definitions.txt' file"},
        MissingFileCase{"planets_used.txt", "You are missing the 'planets_used.txt' file."},
        MissingFileCase{"planet_names.txt", "You are missing the 'planet_names.txt' file."}));

struct FaultyFileCase {
  const char* name;
  const char* file;
  const char* contents;
  const char* message;
};

class FaultyReferenceFileTest : public ReferenceFilesTest, public ::testing::WithParamInterface<FaultyFileCase> {};

// Tables that would compute nothing, or compute with a cast of a number out of range, end
// start-up instead of showing every position as 00 Ari 00' 00".
TEST_P(FaultyReferenceFileTest, IsFatalWithAMessageNamingTheFault) {
  Write(GetParam().file, GetParam().contents);
  try {
    Load();
    FAIL() << "no FatalError";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FaultyReferenceFileTest,
    ::testing::Values(
        FaultyFileCase{"EmptyConstants", "planet_constants_and_indexes.txt", "",
                       "Your 'planet_constants_and_indexes.txt' file is empty."},
        FaultyFileCase{"EmptyAspects", "aspect_definitions.txt", "\r\n", "Your 'aspect_definitions.txt' file is empty."},
        FaultyFileCase{"EmptyPlanetsUsed", "planets_used.txt", "  \r\n", "Your 'planets_used.txt' file is empty."},
        FaultyFileCase{"EmptyPlanetNames", "planet_names.txt", "", "Your 'planet_names.txt' file is empty."},
        FaultyFileCase{"HugeConstant", "planet_constants_and_indexes.txt", "\"SE_SUN\",1e300\r\n",
                       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '1e300', "
                       "which is not a whole number."},
        FaultyFileCase{"ConstantBeyondAnInt", "planet_constants_and_indexes.txt", "\"SE_SUN\",4294967296\r\n",
                       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value "
                       "'4294967296', which is not a whole number."},
        FaultyFileCase{"ConstantWithoutValue", "planet_constants_and_indexes.txt", "\"SE_SUN\"\r\n",
                       "Your 'planet_constants_and_indexes.txt' file gives the constant 'SE_SUN' the value '', "
                       "which is not a whole number."},
        FaultyFileCase{"AspectAngleBeyondTheCircle", "aspect_definitions.txt", "\"000\",\"1e999\"\r\n",
                       "Your 'aspect_definitions.txt' file has the aspect '1e999', whose angle is not from 0 to 360 "
                       "degrees."},
        FaultyFileCase{"UnknownConstant", "planet_constants_and_indexes.txt", "\"SE_SUNDAY\",0\r\n",
                       "Your 'planets_used.txt' file names the constant 'SE_SUN', which "
                       "'planet_constants_and_indexes.txt' does not hold."}),
    [](const ::testing::TestParamInfo<FaultyFileCase>& info) { return std::string(info.param.name); });

TEST_F(ReferenceFilesTest, ConstantsAreTrimmedAndQuotedNamesMayHoldCommas) {
  Write("planet_constants_and_indexes.txt", "  \"A, B\" , 5\r\nPLAIN ,  -7\r\n\"C\",12\r\n");
  Write("planets_used.txt", "g C\r\n");
  Write("planet_names.txt", "Cee\r\n");
  ReferenceTables t = Load();
  ASSERT_EQ(t.NumConsts(), 3);
  EXPECT_EQ(t.constName[1], "A, B");
  EXPECT_EQ(t.constValue[1], 5);
  EXPECT_EQ(t.constName[2], "PLAIN");
  EXPECT_EQ(t.constValue[2], -7);
  EXPECT_EQ(t.Planet(1).sweNumber, 12);
  EXPECT_EQ(t.Planet(1).constRow, 3);
}

TEST_F(ReferenceFilesTest, BlankLinesDoNotCountAndConstantNamesMatchExactly) {
  Write("planet_constants_and_indexes.txt", "\"SE_SUN\",0\r\n\"se_moon\",1\r\n\"SE_MARS\",4\r\n");
  Write("planets_used.txt", "g SE_SUN\r\n\r\ng se_moon\r\n   \r\ng SE_MARS\r\n");
  Write("planet_names.txt", "Sun\r\nMoon\r\nMars\r\n");
  ReferenceTables t = Load();
  ASSERT_EQ(t.NumPlanetsUsed(), 3);  // blank and all-blank lines do not count
  EXPECT_EQ(t.Planet(2).code, "moon");
  EXPECT_EQ(t.Planet(3).sweNumber, 4);
  EXPECT_EQ(t.classCounts.g, 3);
  Write("planets_used.txt", "g SE_SUN\r\ng SE_MOON\r\ng SE_MARS\r\n");  // differs in letter case only
  EXPECT_THROW(Load(), FatalError);
}

TEST_F(ReferenceFilesTest, ShortLinesUpperCaseAndUnknownClassLetters) {
  Write("planet_constants_and_indexes.txt", "X,7\r\nXYZ,8\r\nXYZW,9\r\nSE_SUN,0\r\n");
  Write("planets_used.txt", "p X\r\nc XYZ\r\nc XYZW\r\nG SE_SUN\r\nq SE_SUN\r\n");
  Write("planet_names.txt", "One\r\nTwo\r\n");
  ReferenceTables t = Load();
  ASSERT_EQ(t.NumPlanetsUsed(), 5);
  EXPECT_EQ(t.Planet(1).code, "");
  EXPECT_EQ(t.Planet(1).sweNumber, 7);
  EXPECT_EQ(t.Planet(2).code, "");
  EXPECT_EQ(t.Planet(3).code, "W");
  EXPECT_EQ(t.Planet(4).cls, "g");
  EXPECT_EQ(t.Planet(5).cls, "q");  // accepted, named, never computed
  EXPECT_FALSE(t.IsBody(5));
  EXPECT_FALSE(t.IsHouseDependent(5));
  EXPECT_EQ(t.Planet(3).name, "");  // fewer names leave the rest empty
  EXPECT_EQ(t.classCounts.g, 1);
  EXPECT_EQ(t.classCounts.c, 2);
  EXPECT_EQ(t.classCounts.p, 1);
}

TEST_F(ReferenceFilesTest, MoreNamesThanPlanetsIsFatal) {
  Write("planets_used.txt", "g SE_SUN\r\n");
  Write("planet_names.txt", "Sun\r\nMoon\r\n");
  EXPECT_THROW(Load(), FatalError);
}

TEST_F(ReferenceFilesTest, MoreThanSixtyTwoPlanetsIsFatal) {
  std::string lines;
  for (int i = 0; i < 63; ++i) lines += "g SE_SUN\r\n";
  Write("planets_used.txt", lines);
  EXPECT_THROW(Load(), FatalError);
  lines.resize(lines.size() - 10);  // 62 lines load
  Write("planets_used.txt", lines);
  EXPECT_EQ(Load().NumPlanetsUsed(), 62);
}

TEST_F(ReferenceFilesTest, SixteenAspectItemsKeepTheLastDesignedCaption) {
  std::string items;
  for (int k = 0; k < 16; ++k) items += "\"" + std::to_string(10 + k) + " deg\",";
  items.pop_back();
  Write("aspect_definitions.txt", items + "\r\n");
  ReferenceTables t = Load();
  EXPECT_EQ(t.aspectCaptions[0], "10 deg");
  EXPECT_EQ(t.aspectCaptions[15], "25 deg");
  EXPECT_EQ(t.aspectCaptions[16], "c.p");
  EXPECT_DOUBLE_EQ(t.AspectAngle(3), 13);
}

TEST_F(ReferenceFilesTest, AspectItemsMayBeOnePerLineAndAreTrimmed) {
  Write("aspect_definitions.txt", "  045  \r\n072\r\n");
  ReferenceTables t = Load();
  EXPECT_EQ(t.aspectCaptions[0], "045");
  EXPECT_EQ(t.aspectCaptions[1], "072");
  EXPECT_EQ(t.aspectCaptions[2], "160");  // designed caption stays
  EXPECT_DOUBLE_EQ(t.AspectAngle(0), 45);
  EXPECT_DOUBLE_EQ(t.AspectAngle(15), 0);  // "par"
}

TEST_F(ReferenceFilesTest, MoreThanSeventeenAspectItemsIsFatal) {
  std::string items;
  for (int k = 0; k < 18; ++k) items += "\"000\"\r\n";
  Write("aspect_definitions.txt", items);
  EXPECT_THROW(Load(), FatalError);
}

}  // namespace
}  // namespace kesmora
