// The data window and the help menu: pages shown, Save and Save As, clearing, fonts, the
// window's place, and the way to the print preview.
#include "gui_fixture.h"

#include "core/output/output_buffer.h"
#include "core/reference/text.h"
#include "gui/windows/data_window.h"
#include "gui/windows/print_preview.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class DataWindowTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  gui::DataWindow& Data() { return f_.window->OutputD1(); }
  QPlainTextEdit* Text() { return GuiFixture::FindIn<QPlainTextEdit>(&Data(), "RichText1"); }
  QAction* DataAction(const char* name) { return GuiFixture::FindIn<QAction>(&Data(), name); }
  QAction* MainAction(const char* name) { return f_.Find<QAction>(name); }

  // A help file of three short lines, shown through the help menu.
  void ShowThreeLineHelp() {
    QVERIFY(WriteFileAtomically(f_.Home() / "TIPS.TXT", "one\r\ntwo\r\nthree\r\n"));
    MainAction("mnuHintsTips")->trigger();
  }

  const Message& LastMessage() const { return f_.ui->messages.back(); }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void helpEntriesShowTheirFiles() {
    const std::pair<const char*, const char*> entries[] = {
        {"mnuMainMenuHelp", "Kesmora.TXT"}, {"mnuHelpOptions", "OPTIONS.TXT"},
        {"mnuHelpOutputD1", "OUTPUTD1.TXT"}, {"mnuHelpPrntfile", "PRNTFILE.TXT"},
        {"mnuHintsHow", "HOW_DO_I.TXT"},    {"mnuHintsReadingList", "READING.TXT"},
        {"mnuHintsTips", "TIPS.TXT"},       {"mnuShortcutKeys", "SHORTCUT.TXT"},
        {"mnuHelpRevisions", "REVISION.TXT"}, {"mnuHelpGraph", "INSTRUCTIONS.TXT"},
        {"mnuHelpSelect", "SELECT.TXT"}};
    for (auto [action, file] : entries) {
      QVERIFY2(MainAction(action)->isEnabled(), action);
      MainAction(action)->trigger();
      auto lines = ReadLines(f_.Home() / file);
      QVERIFY2(lines.has_value(), file);
      QString expected;
      for (const std::string& line : *lines) expected += QString::fromStdString(line) + '\n';
      QVERIFY2(Text()->toPlainText().startsWith(expected), file);
      QVERIFY(Data().isVisible());
      QCOMPARE(Data().windowTitle(), QString("Kesmora - v1.60 - Data"));
    }
    QVERIFY(f_.ui->messages.empty());
  }

  void menusCarryTheirCaptions() {
    QCOMPARE(GuiFixture::FindIn<QMenu>(&Data(), "mnuFile")->title(), QString("&File"));
    QCOMPARE(GuiFixture::FindIn<QMenu>(&Data(), "mnuFonts")->title(), QString("F&ont"));
    QCOMPARE(DataAction("mnuFileSaveAs")->text(), QString("Save &As"));
    QCOMPARE(DataAction("mnuFontsItalic")->text(), QString("I&talic"));
    QCOMPARE(DataAction("mnuClearBuffer")->text(), QString("&Clear all data"));
    QCOMPARE(DataAction("mnuPrint")->text(), QString("&Print page"));
    QCOMPARE(DataAction("mnuPrintData")->text(), QString("Print &data"));
    QVERIFY(Text()->isReadOnly());
  }

  void saveAsWritesEveryLineAndAFinalFormFeed() {
    f_.LoadExampleAsPerson1();
    ShowThreeLineHelp();
    const fs::path target = f_.Home() / "reports" / "tips.txt";
    f_.files->answer = QString::fromStdString(target.string());
    DataAction("mnuFileSave")->trigger();  // no file chosen yet: Save As

    QCOMPARE(f_.files->requests.size(), size_t{1});
    const gui::FileRequest& asked = f_.files->requests.front();
    QCOMPARE(asked.fileName, QString("Example.txt"));
    QCOMPARE(asked.directory, QString::fromStdString((f_.Home() / "reports").string()));
    QCOMPARE(asked.filter, QString("Kesmora Data Files (*.txt)"));
    QCOMPARE(asked.defaultSuffix, QString("txt"));
    // The three lines, the blank lines of the help page and of showing it, the spare line, a form feed.
    const std::string written = "one\r\ntwo\r\nthree\r\n\r\n\r\n\r\n\f\r\n";
    QCOMPARE(ReadWholeFile(target), std::optional<std::string>(written));

    // Save goes on writing to the chosen file without asking.
    fs::remove(target);
    DataAction("mnuFileSave")->trigger();
    QCOMPARE(f_.files->requests.size(), size_t{1});
    QCOMPARE(ReadWholeFile(target), std::optional<std::string>(written));
    QVERIFY(f_.ui->messages.empty());
  }

  void cancelledSaveAsWritesNothing() {
    ShowThreeLineHelp();
    f_.files->answer.reset();
    DataAction("mnuFileSaveAs")->trigger();
    QCOMPARE(f_.files->requests.size(), size_t{1});
    QVERIFY(f_.ui->messages.empty());
    // Still no file: Save asks again.
    DataAction("mnuFileSave")->trigger();
    QCOMPARE(f_.files->requests.size(), size_t{2});
  }

  void emptyBufferIsNotSaved() {
    for (const char* action : {"mnuFileSave", "mnuFileSaveAs"}) {
      DataAction(action)->trigger();
      QCOMPARE(LastMessage().title, std::string("Information"));
      QCOMPARE(LastMessage().text, std::string("No data to write to file."));
    }
    QVERIFY(f_.files->requests.empty());
  }

  void clearingAsksFirst() {
    ShowThreeLineHelp();
    const int lines = f_.session->output.AllLineCount();
    DataAction("mnuClearBuffer")->trigger();  // answered No
    QCOMPARE(f_.ui->questions.size(), size_t{1});
    QVERIFY(f_.ui->questions[0].buttons == QuestionButtons::YesNo);
    QCOMPARE(f_.session->output.AllLineCount(), lines);
    QVERIFY(f_.ui->messages.empty());
  }

  void clearedBufferKeepsThePageButHasNothingToPrint() {
    ShowThreeLineHelp();
    f_.ui->answers.push_back(Answer::Yes);
    DataAction("mnuClearBuffer")->trigger();
    QCOMPARE(f_.session->output.AllLineCount(), 0);
    QCOMPARE(LastMessage().title, std::string("Information!"));
    QCOMPARE(LastMessage().text, std::string("All data cleared from buffer."));
    QVERIFY(Text()->toPlainText().startsWith("one\ntwo\nthree\n"));

    DataAction("mnuPrintData")->trigger();
    QCOMPARE(LastMessage().text, std::string("No data to print."));
    QCOMPARE(LastMessage().title, std::string("Information"));
    QVERIFY(Data().findChild<gui::PrintPreview*>("PrntFile") == nullptr);

    // The page itself can still be printed.
    DataAction("mnuPrint")->trigger();
    auto* preview = GuiFixture::FindIn<gui::PrintPreview>(&Data(), "PrntFile");
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QString("Data To Be Printed"));
    QCOMPARE(ReadWholeFile(PrintFilePath(f_.session->programDir)),
             std::optional<std::string>("one\r\ntwo\r\nthree\r\n\r\n\r\n\r\n"));
    QVERIFY(GuiFixture::FindIn<QPlainTextEdit>(preview, "RichtxtContent")->toPlainText().startsWith("one\ntwo\nthree\n"));
  }

  void printDataTakesEveryLineSinceStart() {
    ShowThreeLineHelp();
    QVERIFY(WriteFileAtomically(f_.Home() / "TIPS.TXT", "four\r\n"));
    MainAction("mnuHintsTips")->trigger();
    DataAction("mnuPrintData")->trigger();
    QCOMPARE(ReadWholeFile(PrintFilePath(f_.session->programDir)),
             std::optional<std::string>("one\r\ntwo\r\nthree\r\n\r\n\r\nfour\r\n\r\n\r\n\r\n"));
  }

  void fontFollowsTheSettingsAndTheMenu() {
    f_.session->settings.fontSize = 8.5;
    ShowThreeLineHelp();
    const QFontMetricsF metrics(Text()->font());
    QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
    QCOMPARE(Text()->font().pointSizeF(), 8.5);

    DataAction("mnuFontsDecrease")->trigger();
    QCOMPARE(f_.session->settings.fontSize, 7.75);
    QCOMPARE(Text()->font().pointSizeF(), 7.75);
    QVERIFY(!DataAction("mnuFontsDecrease")->isEnabled());
    QVERIFY(DataAction("mnuFontsIncrease")->isEnabled());

    DataAction("mnuFontsBold")->trigger();
    QVERIFY(Text()->font().bold());
    QCOMPARE(f_.session->settings.fontBold, -1.0);
    QVERIFY(DataAction("mnuFontsBold")->isChecked());
    DataAction("mnuFontsBold")->trigger();
    QCOMPARE(f_.session->settings.fontBold, 0.0);

    DataAction("mnuFontsItalic")->trigger();
    QVERIFY(Text()->font().italic());
    QCOMPARE(f_.session->settings.fontItalic, -1.0);
  }

  void fontChangeKeepsTheLinesInView() {
    std::string help;
    for (int k = 1; k <= 300; ++k) help += "line " + std::to_string(k) + "\r\n";
    QVERIFY(WriteFileAtomically(f_.Home() / "TIPS.TXT", help));
    MainAction("mnuHintsTips")->trigger();
    Data().resize(500, 300);
    QTest::qWait(0);
    Text()->verticalScrollBar()->setValue(120);
    const int top = Text()->cursorForPosition(QPoint(2, 2)).blockNumber();
    QVERIFY(top > 100);
    for (const char* action : {"mnuFontsIncrease", "mnuFontsBold", "mnuFontsDecrease"}) {
      DataAction(action)->trigger();
      QTest::qWait(0);
      QCOMPARE(Text()->cursorForPosition(QPoint(2, 2)).blockNumber(), top);
    }
  }

  void fontStopsGrowingAtTwelvePoints() {
    f_.session->settings.fontSize = 11.75;
    ShowThreeLineHelp();
    DataAction("mnuFontsIncrease")->trigger();
    QCOMPARE(Text()->font().pointSizeF(), 12.5);
    QVERIFY(!DataAction("mnuFontsIncrease")->isEnabled());
    QVERIFY(DataAction("mnuFontsDecrease")->isEnabled());
  }

  void placeComesFromAndGoesToTheSettings() {
    f_.session->settings.dataWindow = {1500, 3000, 6000, 9000};
    ShowThreeLineHelp();
    QCOMPARE(Data().pos(), QPoint(200, 100));
    QCOMPARE(Data().size(), QSize(600, 400));
    Data().move(50, 60);
    QTRY_COMPARE(f_.session->settings.dataWindow.left, 50 * 15);
    QCOMPARE(f_.session->settings.dataWindow.top, 60 * 15);
    Data().resize(500, 300);
    QTRY_COMPARE(f_.session->settings.dataWindow.width, 500 * 15);
    QCOMPARE(f_.session->settings.dataWindow.height, 300 * 15);
    // A minimised window keeps the last place it had.
    Data().showMinimized();
    Data().resize(200, 100);
    QTest::qWait(0);
    QCOMPARE(f_.session->settings.dataWindow.width, 500 * 15);
  }

  void escapeBringsTheMainWindowToTheFront() {
    ShowThreeLineHelp();
    Data().activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&Data()));
    const QString before = Text()->toPlainText();
    QTest::keyClick(Text(), Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(f_.window.get()));
    QCOMPARE(Text()->toPlainText(), before);

    Data().activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&Data()));
    QTest::mouseClick(Text()->viewport(), Qt::RightButton);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(f_.window.get()));
  }

  void missingHelpFileIsReported() {
    fs::remove(f_.Home() / "READING.TXT");
    MainAction("mnuHintsReadingList")->trigger();
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(LastMessage().title, std::string("Error"));
  }
};

QTEST_MAIN(DataWindowTest)
#include "data_window_test.moc"
