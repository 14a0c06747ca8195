// Saving persons into names files: the duplicate question, the backup, a save that fails at any
// step, unreadable files, the written formats on any locale, and files in the Windows code page.
#include "core/app/names_commands.h"
#include "core/app/user_interface.h"
#include "core/persons/names_store.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <tuple>

namespace kesmora {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

std::string Bytes(const fs::path& file) { return ReadWholeFile(file).value_or("<missing>"); }

NamesRecord Record(const std::string& name, const std::string& city = "Lima") {
  return {name, "01 Feb 2000", "3.04", "P", "5", "077.02", "-12.03", "Peru", city};
}

std::string Line(const std::string& name, const std::string& city) {
  return NamesRecordLine(Record(name, city)) + "\r\n";
}

struct DuplicateCase {
  const char* label;
  std::string stored;              // "" with `exists` false: there is no file yet
  bool exists;
  std::vector<DuplicateChoice> answers;
  size_t questions;
  std::string expected;            // the file after the save
  bool saved;
};

class DuplicateTest : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(DuplicateTest, KeepsDropsOrLeavesTheStoredRecords) {
  const DuplicateCase& c = GetParam();
  ScratchDir dir;
  const fs::path file = dir.path() / "NAMES.FIL";
  if (c.exists) dir.Write("NAMES.FIL", c.stored);
  size_t asked = 0;
  auto ask = [&](const NamesRecord& stored) {
    EXPECT_EQ(stored.name.size(), 1u) << "the stored record is the one asked about";
    return c.answers.at(asked++);
  };
  NamesFileSteps steps;
  const SaveOutcome outcome = SaveRecordToNamesFile(file, Record("a", "New"), ask, steps);
  EXPECT_EQ(asked, c.questions);
  EXPECT_EQ(static_cast<bool>(outcome), c.saved);
  EXPECT_EQ(Bytes(file), c.exists || c.saved ? c.expected : "<missing>");
  // The backup holds the file as it was; nothing is backed up when nothing is written.
  const fs::path backup = dir.path() / "NAMES.old";
  EXPECT_EQ(Bytes(backup), c.saved && c.exists && !c.stored.empty() ? c.stored : "<missing>");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}),
            (c.exists || c.saved) + (fs::exists(backup) ? 1 : 0))
      << "no temporary file is left";
}

const std::string kA = Line("A", "Old"), kB = Line("B", "Other"), kA2 = Line("a", "Second"), kNew = Line("a", "New");
using DC = DuplicateChoice;

INSTANTIATE_TEST_SUITE_P(
    Cases, DuplicateTest,
    ::testing::Values(
        DuplicateCase{"ReplaceMovesTheRecordToTheEnd", kA + kB, true, {DC::Replace}, 1, kB + kNew, true},
        DuplicateCase{"AppendKeepsTheOldRecord", kA + kB, true, {DC::Append}, 1, kA + kB + kNew, true},
        DuplicateCase{"ExitLeavesTheFile", kA + kB, true, {DC::Exit}, 1, kA + kB, false},
        DuplicateCase{"TwoDuplicatesReplaceOneAppendOne", kA + kB + kA2, true, {DC::Replace, DC::Append}, 2,
                      kB + kA2 + kNew, true},
        DuplicateCase{"ExitAtTheSecondDuplicateLeavesTheFile", kA + kA2, true, {DC::Replace, DC::Exit}, 2, kA + kA2,
                      false},
        DuplicateCase{"OtherNamesAreNotAsked", kB, true, {}, 0, kB + kNew, true},
        DuplicateCase{"LfFileIsWrittenWithCrLf", "B,01 Feb 2000,3.04,P,5,077.02,-12.03,Peru,Other\n", true, {}, 0,
                      kB + kNew, true},
        DuplicateCase{"NoFileYet", "", false, {}, 0, kNew, true}),
    [](const auto& info) { return std::string(info.param.label); });

// Fails one step of a save, as a full disk or a read-only folder would.
class FailingSteps : public NamesFileSteps {
 public:
  explicit FailingSteps(int step) : step_(step) {}
  TemporaryFile WriteTemporary(const fs::path& f, std::string_view text) override {
    if (step_ == 0) return {{}, {"No space left on device"}};
    return NamesFileSteps::WriteTemporary(f, text);
  }
  WriteResult WriteBackup(const fs::path& b, std::string_view text) override {
    return step_ == 1 ? WriteResult{"Permission denied"} : NamesFileSteps::WriteBackup(b, text);
  }
  WriteResult Replace(const fs::path& t, const fs::path& f) override {
    return step_ == 2 ? WriteResult{"Input/output error"} : NamesFileSteps::Replace(t, f);
  }

 private:
  int step_;
};

TEST(NamesSave, AFailedStepLeavesTheFileAsItWasAndSaysSo) {
  for (int step : {0, 1, 2}) {
    SCOPED_TRACE(step);
    ScratchDir dir;
    const fs::path file = dir.Write("NAMES.FIL", kA + kB);
    FailingSteps steps(step);
    const SaveOutcome outcome =
        SaveRecordToNamesFile(file, Record("C"), [](const NamesRecord&) { return DC::Append; }, steps);
    EXPECT_EQ(outcome.kind, SaveOutcome::Kind::Failed);
    EXPECT_NE(outcome.message.find("is unchanged"), std::string::npos) << outcome.message;
    EXPECT_EQ(Bytes(file), kA + kB);
    for (const auto& entry : fs::directory_iterator(dir.path()))
      EXPECT_TRUE(entry.path() == file || entry.path().filename() == "NAMES.old") << entry.path();
  }
}

// Lines that hold no record stay where they are for the user to mend; they once stopped every save.
TEST(NamesSave, LinesWithoutARecordAreKeptAndStopNoSave) {
  ScratchDir dir;
  const std::string bad = "Short,01 Feb 2000\r\n,,,,,,,,\r\n";
  const fs::path file = dir.Write("NAMES.FIL", kA + bad + kB);
  NamesFileSteps steps;
  ASSERT_TRUE(SaveRecordToNamesFile(file, Record("B"), [](const NamesRecord&) { return DC::Replace; }, steps));
  EXPECT_EQ(Bytes(file), kA + bad + Line("B", "Lima"));
}

TEST(NamesSave, WindowsCodePageFileIsConvertedWholeAndItsBackupKeepsTheBytes) {
  ScratchDir dir;
  // Zoë, Muñoz and Bjørn as a names file of the original platform writes them.
  const std::string cp1252 = "Zo\xEB,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\r\n"
                             "Mu\xF1oz,02 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\r\n"
                             "Bj\xF8rn,03 Jan 1980,9.05,A,-1,-010.45,59.55,Norway,Oslo\r\n";
  const fs::path file = dir.Write("OLD.FIL", cp1252);
  const NamesList before = ReadNamesFile(file);
  EXPECT_TRUE(before.windows1252);
  ASSERT_EQ(before.records.size(), 3u);
  EXPECT_EQ(before.records[0].name, "Zoë");
  EXPECT_EQ(before.Find("Muñoz"), 1);
  EXPECT_EQ(before.Find("Bjørn"), 2);

  NamesFileSteps steps;
  for (const char* name : {"Şahin", "山田太郎"}) {
    const SaveOutcome outcome = SaveRecordToNamesFile(file, Record(name), [](const NamesRecord&) { return DC::Exit; }, steps);
    ASSERT_TRUE(outcome) << outcome.message;
    EXPECT_EQ(outcome.convertedToUtf8, std::string(name) == "Şahin");
    if (outcome.convertedToUtf8) {
      EXPECT_EQ(Bytes(dir.path() / "OLD.old"), cp1252);
    }
  }
  EXPECT_TRUE(IsValidUtf8(Bytes(file)));
  const NamesList after = ReadNamesFile(file);
  EXPECT_FALSE(after.windows1252);
  std::vector<std::string> names;
  for (const NamesRecord& r : after.records) names.push_back(r.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Zoë", "Muñoz", "Bjørn", "Şahin", "山田太郎"}));
}

TEST(NamesSave, DuplicatesAreFoundIgnoringCaseInAnyScript) {
  ScratchDir dir;
  const fs::path file = dir.Write("N.FIL", Line("ZOË", "Old") + Line("ŞAHİN", "Old"));
  NamesFileSteps steps;
  std::vector<std::string> asked;
  auto ask = [&](const NamesRecord& r) { asked.push_back(r.name); return DC::Replace; };
  ASSERT_TRUE(SaveRecordToNamesFile(file, Record("zoë"), ask, steps));
  EXPECT_EQ(asked, std::vector<std::string>{"ZOË"});
}

// Writes records as the Save buttons do, with the program's locale German (decimal comma,
// "Sept." for September).
class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 missing (scripts/setup.sh makes it)";
    std::locale::global(std::locale("de_DE.UTF-8"));
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
};

TEST_F(GermanLocale, RecordsHavePointsAndEnglishMonths) {
  struct Case {
    PersonFields fields;
    const char* line;
  } cases[] = {
      {{"Example", "9", "22", "1949", "10", "43", HalfDay::AM, "6.35889", "95", "23", false, "29", "45", false, "TX",
        "Houston"},
       "Example,22 Sep 1949,10.43,A,6.35889,095.23,29.45,TX,Houston"},
      {{"East", "3", "7", "2001", "9", "5", HalfDay::PM, "-5", "2", "3", true, "5", "7", true, "", "Nowhere"},
       "East,07 Mar 2001,9.05,P,-5,-002.03,-05.07,,Nowhere"},
      {{"Noon", "12", "31", "-44", "12", "0", HalfDay::Unknown, "0", "151", "12", true, "33", "52", true, "NSW",
        "Sydney"},
       "Noon,31 Dec -0044,12.00,U,0,-151.12,-33.52,NSW,Sydney"},
  };
  for (const Case& c : cases) EXPECT_EQ(NamesRecordLine(RecordFromFields(c.fields)), c.line);
}

TEST(NamesSave, ABlockThatCannotBeStoredIsRefusedWithItsMessage) {
  Session s;
  s.person1 = {"Ann, Smith", "9", "22", "1949", "10", "43", HalfDay::AM, "6", "95", "23", false, "29", "45", false, "",
               ""};
  RecordingInterface ui;
  EXPECT_FALSE(RecordToSave(s, Person::One, ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, CommaInNameWarning);

  // No name (a record without one hid the records after it), or a text of two lines.
  for (auto [field, text, says] : {std::tuple{&PersonFields::name, "", "Name: empty"}, {&PersonFields::name, " ", "Name: empty"},
                                   {&PersonFields::city, "Old\nTown", "City: Old\nTown (more than one line)"}}) {
    s.person2 = s.person1;
    s.person2.name = "Ann";
    s.person2.*field = text;
    RecordingInterface refused;
    EXPECT_FALSE(RecordToSave(s, Person::Two, refused));
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].title + " " + refused.messages[0].text,
              std::string("Warning! ") + DiurnalInputError + "\n" + says);
  }
  for (std::string PersonFields::*field : {&PersonFields::hour, &PersonFields::minute, &PersonFields::longDeg,
                                           &PersonFields::latMin, &PersonFields::timeZone}) {
    s.person2 = s.person1;
    s.person2.name = "Ann";
    s.person2.*field = "ten";
    RecordingInterface refused;
    EXPECT_FALSE(RecordToSave(s, Person::Two, refused));
    ASSERT_FALSE(refused.messages.empty());
    EXPECT_NE(refused.messages[0].text.find("ten (not a number)"), std::string::npos) << refused.messages[0].text;
  }
}

TEST(NameEditSave, UneditedTextIsWrittenBackByteForByte) {
  ScratchDir dir;
  const std::string oddBytes = "Zo\xEB,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\rB,x\n\n";
  const fs::path file = dir.Write("E.FIL", oddBytes);
  NamesFileText shown = ReadNamesFileForEditing(file);
  ASSERT_TRUE(shown.read);
  EXPECT_EQ(shown.text, "Zoë,01 Jan 1980,9.05,A,5,074.00,40.43,NY,New York\nB,x\n\n");
  RecordingInterface ui;
  ASSERT_TRUE(SaveEditedNamesFile(file, shown, shown.text, ui));
  EXPECT_EQ(Bytes(file), oddBytes);
  ASSERT_TRUE(SaveEditedNamesFile(file, shown, "Zoë,x\nB,y", ui));
  EXPECT_EQ(Bytes(file), "Zoë,x\r\nB,y\r\n");
}

}  // namespace
}  // namespace kesmora
