#include "person_command.h"

#include "cli_common.h"
#include "core/app/names_commands.h"

#include <fmt/format.h>

#include <map>
#include <memory>

namespace kesmora::cli {

namespace fs = std::filesystem;

namespace {

struct PersonOptionsCli {
  std::string file, record;
  Answer onDuplicate = Answer::Exit;
};

// Answers every question about a stored record of the same name alike, and says so.
class DuplicateAnswers : public ConsoleInterface {
 public:
  explicit DuplicateAnswers(Answer answer) : answer_(answer) {}
  Answer Ask(const Question& q) override {
    if (q.buttons != QuestionButtons::ReplaceAppendExit) return SafeAnswer(q);
    fmt::print(stderr, "{}: {}\n", q.title,
               answer_ == Answer::Replace  ? "replaced"
               : answer_ == Answer::Append ? "appended beside it"
                                           : "nothing saved");
    return answer_;
  }

 private:
  Answer answer_;
};

fs::path TargetFile(const Session& s, const std::string& file) {
  return file.empty() ? CurrentNamesFile(s) : fs::absolute(file);
}

}  // namespace

void AddPersonCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<PersonOptionsCli>();
  CLI::App* cmd = app.add_subcommand("person", "Persons of a names file");
  cmd->require_subcommand(1);

  CLI::App* save = cmd->add_subcommand("save", "Save a person into a names file, as the Save buttons do");
  save->add_option("record", o->record,
                   "The person as a names-file record: name,date,time,A/P/U,zone,longitude,latitude,state,city")
      ->required();
  save->add_option("--file", o->file, "Names file (default: the current names file)");
  const std::map<std::string, Answer> answers{
      {"replace", Answer::Replace}, {"append", Answer::Append}, {"exit", Answer::Exit}};
  save->add_option("--on-duplicate", o->onDuplicate, "What to do with a stored person of the same name (default: exit)")
      ->transform(CLI::CheckedTransformer(answers, CLI::ignore_case));
  save->callback([o, &exitCode, &app] {
    Session s;
    StartCliSession(s, HomeOption(app), -1, app.get_name());
    std::optional<NamesRecord> typed = ParseNamesLine(o->record);
    if (!typed) throw UsageError(fmt::format("'{}' is not a record of nine comma-separated fields", o->record));
    // Read back, a value that is no number counts as 0; a record typed here must say what it means.
    for (const auto& [label, value] : {std::pair{"time", &typed->time}, std::pair{"time zone", &typed->timeZone},
                                       std::pair{"longitude", &typed->longitude}, std::pair{"latitude", &typed->latitude}})
      if (!HasLeadingNumber(*value)) throw UsageError(fmt::format("the {} '{}' is not a number", label, *value));
    std::string problem;
    if (!LoadPersonFromRecord(*typed, s.person1, s.formats.dateOrder, &problem))
      throw UsageError(fmt::format("the {} of '{}' cannot be read", problem, o->record));
    // The name, the one field a record cannot do without, is checked with the others of a save.
    DuplicateAnswers ui(o->onDuplicate);
    const std::optional<NamesRecord> record = RecordToSave(s, Person::One, ui);
    if (!record) {
      exitCode = 2;
      return;
    }
    NamesFileSteps steps;
    const fs::path file = TargetFile(s, o->file);
    const SaveOutcome saved = SavePerson(s, *record, file, ui, steps);
    if (saved) fmt::print("{}\n", NamesRecordLine(*record));
    if (saved.convertedToUtf8) fmt::print(stderr, "{} was converted from Windows-1252 to UTF-8.\n", file.string());
    exitCode = saved ? 0 : 2;
  });

  CLI::App* list = cmd->add_subcommand("list", "Print the records of a names file, one a line, in UTF-8");
  list->add_option("--file", o->file, "Names file (default: the current names file)");
  list->callback([o, &exitCode, &app] {
    Session s;
    StartCliSession(s, HomeOption(app), -1, app.get_name());
    const fs::path file = TargetFile(s, o->file);
    const NamesList names = ReadNamesFile(file);
    if (!names.opened) {
      fmt::print(stderr, "Error! I cannot open the names file {}.\n", file.string());
      exitCode = 2;
      return;
    }
    for (const NamesRecord& r : names.records) fmt::print("{}\n", NamesRecordLine(r));
    exitCode = 0;
    if (!names.unreadable.empty()) {
      fmt::print(stderr, "Error! {}\n", NamesFileErrorText(file, names.unreadable));
      exitCode = 2;
    }
  });
}

}  // namespace kesmora::cli
