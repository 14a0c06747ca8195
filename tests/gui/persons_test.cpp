// The persons on the main window: a person saved with Save is listed after a restart; Change
// List, Edit List and "Make new .FIL file"; the atlas window fills a block.
#include "gui_fixture.h"

#include "core/reference/text.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

using namespace kesmora;
using kesmora::test::GuiFixture;
namespace fs = std::filesystem;

class PersonsTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;

  fs::path NamesFile() const { return f_.session->programDir / "NAMES.FIL"; }
  QString Text(const char* field) const { return f_.Find<QLineEdit>(field)->text(); }
  QStringList Listed() const {
    QStringList names;
    auto* list = f_.Find<QListWidget>("NamesOnFile");
    for (int k = 0; k < list->count(); ++k) names << list->item(k)->text();
    return names;
  }

  // Answers the next modal window once it shows.
  template <typename Act>
  static void WhenModalShows(Act act) {
    QTimer::singleShot(0, [act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) qFatal("no modal window");
      act(modal);
    });
  }

 private slots:
  void init() { f_.Start(); }
  void cleanup() { f_.Stop(); }

  void SavedPersonIsListedAfterARestart() {
    f_.Find<QLineEdit>("txtDiurnalName")->setText("Zoë Şahin");
    f_.files->answer = QString::fromStdString(NamesFile().string());
    f_.Find<QPushButton>("cmdDiurnalSave")->click();
    QVERIFY(f_.ui->messages.empty());
    QCOMPARE(f_.files->requests.back().fileName, QString::fromStdString(NamesFile().string()));
    QVERIFY(Listed().contains("Zoë Şahin"));
    QVERIFY(fs::exists(f_.session->programDir / "NAMES.old"));

    f_.window->close();
    f_.window.reset();
    f_.Start();
    QVERIFY(Listed().contains("Zoë Şahin"));
    f_.Find<QRadioButton>("optPerson1")->setChecked(true);
    f_.Find<QListWidget>("NamesOnFile")->setCurrentRow(static_cast<int>(Listed().indexOf("Zoë Şahin")));
    f_.window->NamesOnFile_Click();
    QCOMPARE(Text("txtName"), QString("Zoë Şahin"));
    QCOMPARE(Text("txtMonth"), QString("12"));
    QCOMPARE(Text("txtBirthHour"), QString("6"));
    QCOMPARE(Text("txtBirthMinute"), QString("45"));
  }

  void SaveIsRefusedOrCancelledWithoutAChange() {
    const std::string before = ReadWholeFile(NamesFile()).value();
    f_.files->answer = QString::fromStdString(NamesFile().string());
    // An empty name was once saved: the record hid itself and blocked every later save.
    for (const char* field : {"txtBirthHour", "txtName"}) {
      const QString kept = Text(field);
      f_.Find<QLineEdit>(field)->setText("");
      f_.ui->messages.clear();
      f_.Find<QPushButton>("cmdSave")->click();
      QCOMPARE(f_.ui->messages.size(), size_t{1});
      QCOMPARE(f_.ui->messages[0].title, std::string("Warning!"));
      QVERIFY2(f_.ui->messages[0].text.find(field == std::string("txtName") ? "\nName: empty" : "\nBirth Hour: empty") !=
                   std::string::npos,
               f_.ui->messages[0].text.c_str());
      QVERIFY(f_.files->requests.empty());  // refused before the file is asked for
      f_.Find<QLineEdit>(field)->setText(kept);
    }
    f_.Find<QLineEdit>("txtBirthHour")->setText("7");
    f_.files->answer.reset();             // the picker is cancelled
    f_.Find<QPushButton>("cmdSave")->click();
    QCOMPARE(ReadWholeFile(NamesFile()).value(), before);
  }

  void NewFileThenChangeListThenEditList() {
    const fs::path other = f_.session->programDir / "NEW.FIL";
    f_.files->answer = QString::fromStdString(other.string());
    f_.Find<QAction>("mnuFileNewFil")->trigger();
    QCOMPARE(ReadWholeFile(other).value(), std::string(SampleNamesRecord) + "\r\n");
    QCOMPARE(f_.Find<QLabel>("lblNamesOnFile")->text(), QString("NAMES.FIL"));  // not changed by a new file

    f_.Find<QPushButton>("cmdChangeList")->click();
    QCOMPARE(f_.Find<QLabel>("lblNamesOnFile")->text(), QString("NEW.FIL"));
    QCOMPARE(Listed(), QStringList{"Example"});

    f_.Find<QPushButton>("cmdEditList")->click();
    auto* editor = f_.window->findChild<QDialog*>("NameEdit");
    QVERIFY(editor);
    QCOMPARE(editor->windowTitle(), "Edit: " + QString::fromStdString(other.string()));
    auto* text = GuiFixture::FindIn<QPlainTextEdit>(editor, "txtContent");
    text->appendPlainText("Second,01 Jan 2000,1.00,A,0,000.00,51.30,UK,London");
    GuiFixture::FindIn<QPushButton>(editor, "btnSave")->click();
    GuiFixture::FindIn<QPushButton>(editor, "btnQuit")->click();
    QCOMPARE(Listed(), (QStringList{"Example", "Second"}));
  }

  // Example: 22 Sep 1949, 10:43 AM in Houston. The database has Chicago's summer time then,
  // which Texas did not keep: the window says so and standard time can be taken. Chicago itself
  // takes the zone's answer at once.
  void AtlasNotesAnotherCitysZoneHistoryBefore1970() {
    f_.LoadExampleAsPerson1();
    f_.Find<QLineEdit>("txtBirthCity")->setText("");
    WhenModalShows([](QWidget* atlas) {
      QCOMPARE(atlas->objectName(), QString("ACS_Atlas"));
      GuiFixture::FindIn<QLineEdit>(atlas, "txtStateCountry")->setText("texas");
      GuiFixture::FindIn<QLineEdit>(atlas, "txtCity")->setText("housto");
      GuiFixture::FindIn<QPushButton>(atlas, "cmdLookup")->click();
      QVERIFY(atlas->isVisible());
      QVERIFY(GuiFixture::FindIn<QLabel>(atlas, "lblZoneNote")
                  ->text()
                  .contains("time zone 5, daylight saving time (1 hour); zone history of Chicago; check the local time "
                            "in force"));
      auto* standard = GuiFixture::FindIn<QPushButton>(atlas, "cmdStandardTime");
      QCOMPARE(standard->text(), QString("S&tandard time (6)"));
      // Alt+S once went to State / Country, never to the choice: each access key is one control's.
      QSet<QChar> keys;
      auto addKey = [&](const QString& text, const QString& name) {
        const int amp = text.indexOf('&');
        if (amp < 0 || amp + 1 >= text.size()) return;
        QVERIFY2(!keys.contains(text.at(amp + 1).toUpper()), qPrintable(name + " " + text));
        keys.insert(text.at(amp + 1).toUpper());
      };
      for (QLabel* label : atlas->findChildren<QLabel*>()) addKey(label->text(), label->objectName());
      for (QPushButton* button : atlas->findChildren<QPushButton*>()) addKey(button->text(), button->objectName());
      standard->click();
    });
    f_.Find<QPushButton>("cmdACS_Atlas")->click();
    QCOMPARE(Text("txtBirthCity"), QString("Houston"));
    QCOMPARE(Text("txtBirthState_Country"), QString("Texas"));
    QCOMPARE(Text("txtTZ"), QString("6"));
    QCOMPARE(Text("txtLongDeg") + " " + Text("txtLongMin"), QString("95 22"));
    QCOMPARE(Text("txtLatDeg") + " " + Text("txtLatMin"), QString("29 46"));
    QVERIFY(f_.Find<QRadioButton>("optWest")->isChecked());
    QCOMPARE(Text("txtName"), QString("Example"));

    f_.Find<QLineEdit>("txtBirthCity")->setText("Chicago");
    f_.Find<QLineEdit>("txtBirthState_Country")->setText("Illinois");
    WhenModalShows([](QWidget* atlas) { GuiFixture::FindIn<QPushButton>(atlas, "cmdLookup")->click(); });
    f_.Find<QPushButton>("cmdACS_Atlas")->click();
    QCOMPARE(Text("txtBirthCity") + " " + Text("txtTZ"), QString("Chicago 5"));
    QVERIFY(f_.ui->messages.empty());

    // Closed without a lookup, the block stays as it is.
    f_.Find<QLineEdit>("txtDiurnalBirthCity")->setText("Sydney");
    WhenModalShows([](QWidget* atlas) { GuiFixture::FindIn<QPushButton>(atlas, "cmdCancel")->click(); });
    f_.Find<QPushButton>("cmdDiurnalACS_Atlas")->click();
    QCOMPARE(Text("txtDiurnalBirthCity"), QString("Sydney"));
  }

  // Reopened, the atlas brings the block's city and state selected, so that what is typed replaces
  // them ("New York CityBombay" before); a place found by a former name shows it beside the current
  // one; nothing found says how to go on.
  void AtlasReplacesTheBlocksPlaceAndShowsTheNameThatMatched() {
    f_.Find<QLineEdit>("txtBirthCity")->setText("New York City");
    f_.Find<QLineEdit>("txtBirthState_Country")->setText("New York");
    WhenModalShows([](QWidget* atlas) {
      GuiFixture::Activate(atlas);
      auto* city = GuiFixture::FindIn<QLineEdit>(atlas, "txtCity");
      auto* state = GuiFixture::FindIn<QLineEdit>(atlas, "txtStateCountry");
      QCOMPARE(QApplication::focusWidget(), city);
      QTest::keyClicks(city, "Bombay");
      QCOMPARE(city->text(), QString("Bombay"));
      QTest::mouseClick(state, Qt::LeftButton);
      QCoreApplication::processEvents();
      QTest::keyClicks(state, "India");
      QCOMPARE(state->text(), QString("India"));
      auto* list = GuiFixture::FindIn<QTreeWidget>(atlas, "lstPlaces");
      QVERIFY(list->topLevelItemCount() > 0);
      QCOMPARE(list->topLevelItem(0)->text(0), QString("Mumbai (Bombay)"));
      city->setText("Qxzzyq");
      QCOMPARE(list->topLevelItemCount(), 0);
      QVERIFY(GuiFixture::FindIn<QLabel>(atlas, "lblStatus")->text().startsWith("no match: check the spelling"));
      city->setText("Bombay");
      GuiFixture::FindIn<QPushButton>(atlas, "cmdLookup")->click();
    });
    f_.Find<QPushButton>("cmdACS_Atlas")->click();
    QCOMPARE(Text("txtBirthCity") + " / " + Text("txtBirthState_Country"), QString("Mumbai / India"));
  }

  // Before Bombay took India's standard time its clocks kept its own mean time: the box says what
  // LMT is, and the block gets Bombay's mean time, not Madras time of the database.
  void AtlasGivesLocalMeanTimeAndSaysWhatItIs() {
    for (auto [field, text] : {std::pair{"txtYear", "1880"}, {"txtMonth", "6"}, {"txtDay", "1"}})
      f_.Find<QLineEdit>(field)->setText(text);
    WhenModalShows([](QWidget* atlas) {
      GuiFixture::FindIn<QLineEdit>(atlas, "txtStateCountry")->setText("India");
      GuiFixture::FindIn<QLineEdit>(atlas, "txtCity")->setText("Mumbai");
      GuiFixture::FindIn<QPushButton>(atlas, "cmdLookup")->click();
    });
    f_.Find<QPushButton>("cmdACS_Atlas")->click();
    QCOMPARE(Text("txtBirthCity"), QString("Mumbai"));
    const double eastDeg = Text("txtLongDeg").toDouble() + Text("txtLongMin").toDouble() / 60;
    QVERIFY(std::abs(Text("txtTZ").toDouble() + eastDeg / 15) < 1.0 / 60);  // the minutes of the field round
    QCOMPARE(f_.ui->messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(f_.ui->messages[0].title), QString("LMT used"));
    QVERIFY(QString::fromStdString(f_.ui->messages[0].text)
                .startsWith("LMT is used: local mean time, the place's own clock from its longitude"));
  }
};

QTEST_MAIN(PersonsTest)
#include "persons_test.moc"
