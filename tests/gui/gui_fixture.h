#pragma once
// A main window on a scratch program directory, with a fixed clock, recorded messages, and
// file and print dialogs that the test answers instead of the user.
#include "gui/common/file_dialogs.h"
#include "gui/app/main_window.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"
#include "gui/common/printer_setup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <date/date.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace kesmora::test {

namespace fs = std::filesystem;

class FakeFileDialogs : public gui::FileDialogs {
 public:
  std::optional<QString> SaveFileName(QWidget*, const gui::FileRequest& request) override {
    requests.push_back(request);
    return answer;
  }
  std::optional<QString> OpenFileName(QWidget*, const gui::FileRequest& request) override {
    requests.push_back(request);
    return answer;
  }
  std::optional<QString> answer;  // nothing: the user cancels
  std::vector<gui::FileRequest> requests;
};

// Prints into a PDF file instead of asking for a printer.
class PdfPrinterSetup : public gui::PrinterSetup {
 public:
  bool Prepare(QPrinter& printer, QWidget*) override {
    ++asked;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    printer.setPageSize(QPageSize(pageSize));
    return true;
  }
  QString pdfFile;
  QPageSize::PageSizeId pageSize = QPageSize::A4;
  int asked = 0;
};

// The words pdftotext (poppler-utils) finds on each page of a PDF, with their boxes, and the
// page sizes, in points.
struct PdfWord {
  QString text;
  double xMin, yMin, xMax, yMax;
};
struct PdfPage {
  double width, height;
  std::vector<PdfWord> words;
};
inline std::vector<PdfPage> PdfPages(const fs::path& pdf, const fs::path& scratchDir) {
  QProcess tool;
  const QString html = QString::fromStdString((scratchDir / "printed.html").string());
  tool.start("pdftotext", {"-bbox", QString::fromStdString(pdf.string()), html});
  if (!tool.waitForFinished(30000) || tool.exitCode() != 0) qFatal("pdftotext (package poppler-utils) could not read the PDF");
  const QString text = QString::fromStdString(ReadWholeFile(html.toStdString()).value_or(""));
  std::vector<PdfPage> pages;
  static const QRegularExpression tag(
      R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (auto m = tag.globalMatch(text); m.hasNext();) {
    const auto match = m.next();
    if (!match.captured(1).isEmpty())
      pages.push_back({match.captured(1).toDouble(), match.captured(2).toDouble(), {}});
    else if (!pages.empty())
      pages.back().words.push_back({match.captured(7), match.captured(3).toDouble(), match.captured(4).toDouble(),
                                    match.captured(5).toDouble(), match.captured(6).toDouble()});
  }
  return pages;
}

class GuiFixture {
 public:
  fs::path Home() const { return fs::path(dir_.path().toStdString()) / "home"; }

  // `before` changes the session as read from the files, before the window starts.
  void Start(const std::function<void(Session&)>& before = {}) {
    session = std::make_unique<Session>();
    ui = std::make_unique<RecordingInterface>();
    files = std::make_unique<FakeFileDialogs>();
    printer = std::make_unique<PdfPrinterSetup>();
    StartOptions start;
    start.home = Home();
    start.executableDir = KESMORA_SHIPPED_DATA_DIR;
    start.formats = LocaleFormats{DateOrder::MonthDayYear, ClockFormat::Hours24};
    StartSession(*session, start);
    if (before) before(*session);
    // 18:45 in Greenwich, the shipped home place, in winter.
    auto clock = [] { return UtcInstant{date::sys_days{date::year(2026) / 12 / 5} + std::chrono::minutes(18 * 60 + 45)}; };
    window = std::make_unique<gui::MainWindow>(*session, *ui, clock);
    window->SetFileDialogs(*files);
    window->SetPrinterSetup(*printer);
    window->SetAtlas(SharedAtlas());
    window->Start();
  }

  void Stop() {
    window.reset();
    printer.reset();
    files.reset();
    ui.reset();
    session.reset();
    fs::remove_all(Home());
  }

  // The atlas, read once for all the windows of a test program.
  static std::shared_ptr<const Atlas> SharedAtlas() {
    static const auto atlas = std::make_shared<const Atlas>(Atlas::Shipped());
    return atlas;
  }

  // Shortcuts reach the window that is active.
  static void Activate(QWidget* w) {
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w)) qFatal("the window is not active");
    // The widgets learn of it a moment after the window system.
    for (int k = 0; k < 200 && QApplication::activeWindow() != w->window(); ++k) QTest::qWait(10);
    if (QApplication::activeWindow() != w->window()) qFatal("the window is not active");
  }

  template <typename T>
  T* Find(const char* name) const {
    return FindIn<T>(window.get(), name);
  }

  template <typename T>
  static T* FindIn(const QObject* root, const char* name) {
    T* child = root ? root->findChild<T*>(name) : nullptr;
    if (!child) qFatal("no object %s", name);
    return child;
  }

  // Example (22 Sep 1949, Houston) as Person 1, both charts calculated.
  void LoadExampleAsPerson1() {
    Find<QRadioButton>("optPerson1")->setChecked(true);
    Find<QListWidget>("NamesOnFile")->setCurrentRow(0);
    window->NamesOnFile_DblClick();
  }

  // Ticks exactly the given transit planets (0-based box indexes).
  void TickTransitPlanets(const std::vector<int>& boxes) {
    for (int k = 0; k < NumPlanetBoxes; ++k) {
      bool on = std::find(boxes.begin(), boxes.end(), k) != boxes.end();
      Find<QCheckBox>(QString("chkP1Planets_%1").arg(k).toUtf8().constData())->setChecked(on);
    }
  }

  void SetDays(int days) { Find<QLineEdit>("txtDaysToCalculate")->setText(QString::number(days)); }

  // Presses "Calculate aspectarian times" and waits until the run has ended; true when it completed.
  bool RunAndWait(int timeoutMs = 120000) {
    QSignalSpy finished(window.get(), &gui::MainWindow::runFinished);
    window->cmdCalc_aspectarian_Click();
    if (finished.isEmpty() && !finished.wait(timeoutMs)) qFatal("the run did not end");
    return finished.takeFirst().at(0).toBool();
  }

  std::unique_ptr<Session> session;
  std::unique_ptr<RecordingInterface> ui;
  std::unique_ptr<FakeFileDialogs> files;
  std::unique_ptr<PdfPrinterSetup> printer;
  std::unique_ptr<gui::MainWindow> window;

 private:
  QTemporaryDir dir_;
};

}  // namespace kesmora::test
