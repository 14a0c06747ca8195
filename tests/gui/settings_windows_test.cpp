// The File menu's .opt files, the Options window on OPTIONS.OPT, the tip of the day and the
// About box, driven through their menu entries and buttons.
#include "gui_fixture.h"

#include "core/reference/text.h"
#include "core/settings/selection_file.h"
#include "gui/settings/options_window.h"
#include "gui/windows/about_box.h"
#include "gui/windows/tip_window.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class SettingsWindowsTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  void Trigger(const char* action) {
    auto* a = f_.Find<QAction>(action);
    QVERIFY2(a->isEnabled(), action);
    a->trigger();
  }
  QCheckBox* Box(const char* group, int k) {
    return f_.Find<QCheckBox>(QString("%1_%2").arg(group).arg(k).toUtf8().constData());
  }
  // Every box of the three groups, transit planets first.
  std::vector<bool> Boxes() {
    std::vector<bool> on;
    for (const char* group : {"chkP1Planets", "chkP2Planets"})
      for (int k = 0; k < NumPlanetBoxes; ++k) on.push_back(Box(group, k)->isChecked());
    for (int k = 0; k < NumAspectBoxes; ++k) on.push_back(Box("chkAspects", k)->isChecked());
    return on;
  }
  fs::path OptionsFile() const { return f_.Home() / "OPTIONS.OPT"; }
  std::string Text(const fs::path& file) const { return ReadWholeFile(file).value_or("(missing)"); }
  gui::OptionsWindow* OpenOptions() {
    Trigger("mnuOptionOptionSettings");
    return GuiFixture::FindIn<gui::OptionsWindow>(f_.window.get(), "Options");
  }
  static QPlainTextEdit* Content(gui::OptionsWindow* w) { return GuiFixture::FindIn<QPlainTextEdit>(w, "txtContent"); }
  static void Press(QWidget* w, const char* button) { GuiFixture::FindIn<QPushButton>(w, button)->click(); }
  // Replaces line `n` (1-based) of the text box.
  static void SetLine(gui::OptionsWindow* w, int n, const QString& line) {
    QStringList lines = Content(w)->toPlainText().split('\n');
    lines[n - 1] = line;
    Content(w)->setPlainText(lines.join('\n'));
  }
  QString Message(size_t k = 0) const {
    return k < f_.ui->messages.size() ? QString::fromStdString(f_.ui->messages[k].text) : QString("(none)");
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void selectionFileRoundTripThroughTheMenu() {
    for (int k = 0; k < NumPlanetBoxes; ++k) {
      Box("chkP1Planets", k)->setChecked(k % 3 == 0);
      Box("chkP2Planets", k)->setChecked(k % 2 == 1);
    }
    for (int k = 0; k < NumAspectBoxes; ++k) Box("chkAspects", k)->setChecked(k % 4 == 1);
    const std::vector<bool> saved = Boxes();
    const fs::path file = f_.Home() / "reports" / "mine.opt";
    f_.files->answer = QString::fromStdString(file.string());
    Trigger("mnuFileSave");
    const gui::FileRequest& save = f_.files->requests.back();
    QCOMPARE(save.title, QString("Save settings file"));
    QCOMPARE(save.filter, QString("Settings Files (*.opt)"));
    QCOMPARE(save.directory, QString::fromStdString(f_.Home().string()));
    QStringList lines = QString::fromStdString(Text(file)).split("\r\n");
    QCOMPARE(lines.size(), static_cast<qsizetype>(SelectionLines) + 1);  // the last line ends with CR LF too
    QCOMPARE(lines[0], QString("1 - Sun"));
    QCOMPARE(lines[140], QString("0 - c.p"));
    QVERIFY(lines[141].isEmpty());

    for (int k = 0; k < NumPlanetBoxes; ++k) Box("chkP1Planets", k)->setChecked(true);
    Box("chkAspects", 1)->setChecked(false);
    Trigger("mnuFileLoad");
    QCOMPARE(f_.files->requests.back().title, QString("Load settings file"));
    // The dialog starts at the file last used, which Kesmora.INI keeps.
    QCOMPARE(f_.files->requests.back().directory, QString::fromStdString(file.parent_path().string()));
    QCOMPARE(QString::fromStdString(f_.session->settings.optFilename), QString::fromStdString(file.string()));
    QVERIFY(Boxes() == saved);
    QVERIFY(f_.ui->messages.empty());
  }

  void aShortOrMissingSelectionFileChangesNoBox() {
    const std::vector<bool> before = Boxes();
    std::string shortText;
    for (int n = 0; n < 100; ++n) shortText += (n % 2 ? "1 - x\r\n" : "0 - x\r\n");
    const fs::path file = f_.Home() / "short.opt";
    QVERIFY(WriteFileAtomically(file, shortText));
    f_.files->answer = QString::fromStdString(file.string());
    Trigger("mnuFileLoad");
    QVERIFY(Boxes() == before);
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f_.ui->messages[0].title), QString("Warning!"));
    QVERIFY2(Message().contains("has 100 lines; a settings file has 141"), qPrintable(Message()));

    f_.files->answer = QString::fromStdString((f_.Home() / "none.opt").string());
    Trigger("mnuFileLoad");
    QVERIFY(Boxes() == before);
    QCOMPARE(f_.ui->messages.size(), size_t{1});  // a missing file says nothing
  }

  void optionsWindowEditsSavesAndRereads() {
    gui::OptionsWindow* w = OpenOptions();
    QCOMPARE(w->windowTitle(), QString("Edit: OPTIONS.OPT[*]"));
    QVERIFY(Content(w)->toPlainText().startsWith("0       Option 1: reserved\n"));
    QVERIFY(!w->Changed());
    SetLine(w, 18, "5       Option 18: home time zone");
    QVERIFY(w->Changed());
    Press(w, "btnSave");
    QVERIFY(!w->Changed());
    QVERIFY(w->isVisible());
    QCOMPARE(f_.session->optionValues[option::HomeTimeZone], 5.0f);
    // CR LF between the lines, none after the last.
    std::string text = Text(OptionsFile());
    QVERIFY(text.find("\r\n5       Option 18: home time zone\r\n") != std::string::npos);
    QVERIFY(text.size() > 2 && text.substr(text.size() - 2) != "\r\n");
    QVERIFY(text.find('\n') == text.find("\r\n") + 1);
    // "Now" takes the new home time zone at once.
    f_.window->cmdDiurnalNow_Click();
    QCOMPARE(f_.Find<QLineEdit>("txtDiurnalTZ")->text(), QString("5"));
    QVERIFY(f_.ui->messages.empty());
  }

  void aLetterWhereANumberBelongsIsRefused() {
    const std::string before = Text(OptionsFile());
    gui::OptionsWindow* w = OpenOptions();
    SetLine(w, 18, "x5      Option 18: home time zone");
    Press(w, "btnSave");
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QVERIFY2(Message().startsWith("Line 18 of OPTIONS.OPT does not start with a number"), qPrintable(Message()));
    QCOMPARE(Text(OptionsFile()), before);
    QVERIFY(w->Changed());
    QCOMPARE(f_.session->optionValues[option::HomeTimeZone], 0.0f);
  }

  void restoreDefaultSettingsCopiesTheMasterFile() {
    QVERIFY(WriteFileAtomically(OptionsFile(), "1\r\n2\r\n"));
    gui::OptionsWindow* w = OpenOptions();
    QCOMPARE(Content(w)->toPlainText(), QString("1\n2\n"));
    Press(w, "cmdRestoreDefault");
    QCOMPARE(Text(OptionsFile()), Text(f_.Home() / "OPTIONS.MST"));
    QVERIFY(Content(w)->toPlainText().contains("Option 24"));
    QCOMPARE(f_.session->optionValues[option::HomeLatDeg], 51.0f);

    fs::remove(f_.Home() / "OPTIONS.MST");
    Press(w, "cmdRestoreDefault");
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f_.ui->messages[0].title), QString("Warning!"));
    QCOMPARE(Message(), QString("Error in operation. Cannot do what is requested."));
    QVERIFY(Text(OptionsFile()).find("Option 24") != std::string::npos);
  }

  void quitAsksBeforeAnEditIsLost() {
    const std::string before = Text(OptionsFile());
    QPointer<gui::OptionsWindow> w = OpenOptions();
    SetLine(w, 12, "30      Option 12: lines per printed page");
    Press(w, "btnQuit");  // no answer given: Cancel, the window stays
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QVERIFY(w && w->isVisible());
    f_.ui->answers.push_back(Answer::Discard);
    Press(w, "btnQuit");
    QTRY_VERIFY(!w);
    QCOMPARE(Text(OptionsFile()), before);

    w = OpenOptions();
    SetLine(w, 12, "30      Option 12: lines per printed page");
    f_.ui->answers.push_back(Answer::Save);
    Press(w, "btnQuit");
    QTRY_VERIFY(!w);
    QCOMPARE(f_.session->optionValues[option::LinesPerPrintedPage], 30.0f);
  }

  void missingOptionsFileIsNotFound() {
    fs::remove(OptionsFile());
    Trigger("mnuOptionOptionSettings");
    QVERIFY(!f_.window->findChild<gui::OptionsWindow*>("Options"));
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f_.ui->messages[0].title), QString("Warning!"));
    QCOMPARE(Message(), QString("File Not Found"));
  }

  void tipOfTheDayAtStartWrapsBothWays() {
    // The shipped OPTIONS.OPT sets option 13: the tip window opened with the first tip.
    auto* tip = GuiFixture::FindIn<gui::TipWindow>(f_.window.get(), "frmTip");
    QVERIFY(tip->isVisible());
    auto* text = GuiFixture::FindIn<QLabel>(tip, "lblTipText");
    auto tips = ReadLines(f_.Home() / "TIPOFDAY.TXT").value();
    QCOMPARE(tips.size(), size_t{9});
    QCOMPARE(text->text(), QString::fromStdString(tips[0]));
    for (int k = 0; k < 9; ++k) Press(tip, "cmdNextTip");
    QCOMPARE(text->text(), QString::fromStdString(tips[0]));
    Press(tip, "Command1");
    QCOMPARE(text->text(), QString::fromStdString(tips[8]));
    Press(tip, "cmdOK");
    QTRY_VERIFY(!f_.window->findChild<gui::TipWindow*>("frmTip"));
    Trigger("mnuHelpTipoftheDay");
    QVERIFY(GuiFixture::FindIn<gui::TipWindow>(f_.window.get(), "frmTip")->isVisible());
  }

  void noTipAtStartWhenOptionThirteenIsZero() {
    f_.Stop();
    fs::create_directories(f_.Home());
    for (const auto& e : fs::directory_iterator(KESMORA_SHIPPED_DATA_DIR))
      if (e.is_regular_file()) fs::copy_file(e.path(), f_.Home() / e.path().filename());
    std::string text = Text(OptionsFile());
    size_t option13 = text.find("1       Option 13");
    QVERIFY(option13 != std::string::npos);
    text[option13] = '0';
    QVERIFY(WriteFileAtomically(OptionsFile(), text));
    f_.Start();
    QVERIFY(!f_.window->findChild<gui::TipWindow*>("frmTip"));
  }

  void aboutBoxShowsTheVersionAndAShadowedTitle() {
    Trigger("mnuHelpAbout");
    auto* about = GuiFixture::FindIn<gui::AboutBox>(f_.window.get(), "About");
    QCOMPARE(GuiFixture::FindIn<QLabel>(about, "Label1")->text(), QString("Version 1.60"));
    // The name is drawn in yellow over darker copies of itself.
    QImage title = GuiFixture::FindIn<QWidget>(about, "Title")->grab().toImage();
    int yellow = 0, shadow = 0;
    for (int y = 0; y < title.height(); ++y)
      for (int x = 0; x < title.width(); ++x) {
        QColor c = title.pixelColor(x, y);
        if (c == QColor(255, 255, 0)) ++yellow;
        if (c == QColor(90, 70, 0) || c == QColor(40, 40, 40)) ++shadow;
      }
    QVERIFY2(yellow > 100 && shadow > 50, qPrintable(QString("%1 yellow, %2 shadow").arg(yellow).arg(shadow)));
  }
};

QTEST_MAIN(SettingsWindowsTest)
#include "settings_windows_test.moc"
