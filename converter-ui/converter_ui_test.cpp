// The desktop converter's dialogs driven through their real widgets, on the
// offscreen platform, with a settings store and files of the test's own.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cstdlib>

#include "converter-ui/about_dialog.h"
#include "converter-ui/colour_bar_widget.h"
#include "converter-ui/converter_app.h"
#include "converter-ui/info_dialog.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/main_dialog.h"
#include "converter-ui/registry_value.h"
#include "fixture/clip.h"
#include "fixture/riff_builder.h"
#include "riff/flavour_classifier.h"

using ui::ConverterApp;
using ui::LanguageSetting;
using ui::MainDialog;

class ConverterUiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString board_;  // a clip in the board's flavour
  QString wave_;
  QString broken_;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  // Types `text` into `edit` and leaves it, as a person does.
  static void TypeAndLeave(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    emit edit->editingFinished();
  }
  // Runs `handle` on the modal dialog that the next call opens, once it is up.
  template <typename Dialog, typename Handler>
  static void WhenModalOpens(Handler handle) {
    QTimer::singleShot(0, [handle] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) {
        QFAIL("no modal dialog of the expected kind");
        return;
      }
      handle(dialog);
    });
  }
  bool TemporaryFilesLeft() const {
    for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden)) {
      if (name.startsWith("Clm") || name.startsWith(".clipmill-")) return true;
    }
    return false;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("XDG_CONFIG_HOME", Path("user").toUtf8());
    qputenv("KOVO_MACHINE_DIR", Path("machine").toUtf8());
    fixture::ClipSpec spec;
    spec.frames = 4;
    spec.comment = "QX62";
    spec.audio = true;
    spec.distinctFrames = 2;
    board_ = Path("board.avi");
    fixture::WriteFile(board_.toStdString(), fixture::Serialize(fixture::MotionJpegClip(spec)));
    wave_ = Path("sound.wav");
    fixture::WriteFile(wave_.toStdString(),
                       fixture::Serialize(fixture::WaveFile(2, 44100, 16, 0.5)));
    broken_ = Path("broken.avi");
    fixture::WriteFile(broken_.toStdString(), fixture::Bytes(64, 'x'));
  }

  void init() { LanguageSetting::Current().SelectCode(9); }

  void firstStartWithoutParameters() {
    ui::Settings::Mode().StoreNumber(2);
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    QVERIFY(dialog.inputEdit()->text().isEmpty());
    QVERIFY(dialog.summaryLine(1)->text().isEmpty());
    QVERIFY(dialog.moreButton()->isEnabled());
    QCOMPARE(dialog.modeIndex(), 2);
    QCOMPARE(dialog.modeList()->currentText(), QString("AVI     -> AVIQX62"));
    QVERIFY(dialog.progressBar()->isHidden());
  }

  void commandLinePositions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("two names") << QStringList{"in.avi", "out.avi"} << "in.avi"
                               << "out.avi";
    QTest::newRow("switch first") << QStringList{"-s", "out.avi"} << ""
                                  << "out.avi";
    QTest::newRow("slash switch") << QStringList{"/x", "in.avi", "out.avi"} << ""
                                  << "in.avi";
    QTest::newRow("third ignored") << QStringList{"a", "b", "c"} << "a"
                                   << "b";
  }
  void commandLinePositions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, input);
    QFETCH(QString, output);
    ConverterApp app(arguments);
    MainDialog dialog(&app);
    dialog.show();
    QCOMPARE(dialog.inputEdit()->text(), input);
    QCOMPARE(dialog.outputEdit()->text(), output);
  }

  void typingAndLeavingTheFields() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    TypeAndLeave(dialog.inputEdit(), board_);
    QCOMPARE(dialog.summaryLine(0)->text(), QString("Total    4 Frames (320x480)  Vid + Aud"));
    QCOMPARE(dialog.summaryLine(1)->text(), QString("Lenght: 0.16 sec  (25.00 [Frames/sec])"));
    TypeAndLeave(dialog.inputEdit(), Path("missing.avi"));
    QCOMPARE(dialog.summaryLine(1)->text(), QString("There is no information"));
    QVERIFY(!dialog.moreButton()->isEnabled());
    QCOMPARE(QString::fromStdString(dialog.inputName()), board_);  // the last accepted name stays
    TypeAndLeave(dialog.inputEdit(), wave_);
    QCOMPARE(dialog.summaryLine(0)->text(), QString("WAVE       Initial 0 Frames"));
    QCOMPARE(dialog.summaryLine(2)->text(), QString("Stereo 44100 Hz 16 [Bits/Sample]"));
    TypeAndLeave(dialog.outputEdit(), "out.avi");
    QCOMPARE(QString::fromStdString(dialog.outputName()), QString("out.avi"));
  }

  void textModeDisablesUseInputFile() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    QTest::mouseClick(dialog.useInputBox(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(dialog.useInputFile());
    QVERIFY(!dialog.outputEdit()->isEnabled());
    dialog.modeList()->setCurrentIndex(5);
    emit dialog.modeList()->activated(5);
    QVERIFY(!dialog.useInputBox()->isEnabled());
    QCOMPARE(dialog.modeIndex(), 5);
  }

  void dropsTakeTheFirstFile() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    // Drops as the desktop delivers them: one file, then three at once.
    const auto drop = [&](const QStringList& files) {
      QMimeData data;
      QList<QUrl> urls;
      for (const QString& file : files) urls << QUrl::fromLocalFile(file);
      data.setUrls(urls);
      const QPoint at(20, 20);
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&dialog, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&dialog, &dropped);
    };
    drop({board_});
    QCOMPARE(dialog.inputEdit()->text(), board_);
    QVERIFY(dialog.summaryLine(0)->text().contains("(320x480)"));
    drop({wave_, board_, broken_});
    QCOMPARE(dialog.inputEdit()->text(), wave_);
    QCOMPARE(QString::fromStdString(dialog.inputName()), wave_);
  }

  void startWithoutNamesMovesTheFocus() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QVERIFY(dialog.inputEdit()->hasFocus());
    TypeAndLeave(dialog.inputEdit(), board_);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QVERIFY(dialog.outputEdit()->hasFocus());
  }

  void startConvertsInPlaceAndClearsTheFields() {
    const QString clip = Path("inplace.avi");
    QFile::remove(clip);
    QVERIFY(QFile::copy(board_, clip));
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    TypeAndLeave(dialog.inputEdit(), clip);
    dialog.modeList()->setCurrentIndex(0);
    emit dialog.modeList()->activated(0);
    QTest::mouseClick(dialog.useInputBox(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    riff::FlavourClassifier classifier;
    QCOMPARE(classifier.Classify(clip.toStdString()) & riff::FlavourClassifier::kFlavourMask,
             static_cast<int>(riff::FlavourClassifier::kFlavourQx63));
    QVERIFY(dialog.inputEdit()->text().isEmpty());
    QCOMPARE(dialog.summaryLine(1)->text(), QString("There is no information"));
    QVERIFY(!TemporaryFilesLeft());
    QVERIFY(dialog.progressBar()->isHidden());
    QVERIFY(!dialog.colourBar()->isHidden());
  }

  void escapeDuringAConversionCancelsIt() {
    const QString clip = Path("keep.avi");
    QFile::remove(clip);
    QVERIFY(QFile::copy(board_, clip));
    const QByteArray before = [&] {
      QFile file(clip);
      file.open(QIODevice::ReadOnly);
      return file.readAll();
    }();
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    dialog.modeList()->setCurrentIndex(0);
    emit dialog.modeList()->activated(0);
    TypeAndLeave(dialog.inputEdit(), clip);
    QTest::mouseClick(dialog.useInputBox(), Qt::LeftButton, {}, QPoint(5, 5));
    // Esc is pressed and released while the conversion runs: the walk stops,
    // and the press does not close the program afterwards.
    QCoreApplication::postEvent(&dialog,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(&dialog,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    dialog.StartConversion();
    QCoreApplication::processEvents();
    QFile file(clip);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(dialog.inputEdit()->text(), clip);  // not a completed run: fields stay
    QVERIFY(!TemporaryFilesLeft());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
  }

  // Regression: the input gate of a running conversion swallowed the clicks
  // meant for the job's own question, so it could never be answered.
  void theJobsQuestionCanBeAnsweredWhileInputIsHeldBack() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    fixture::ClipSpec spec;
    spec.frames = 2;
    spec.comment = "QX63";
    const QString standard = Path("standard.avi");
    fixture::WriteFile(standard.toStdString(), fixture::Serialize(fixture::MotionJpegClip(spec)));
    dialog.modeList()->setCurrentIndex(0);  // to the standard flavour, which the clip has
    emit dialog.modeList()->activated(0);
    TypeAndLeave(dialog.inputEdit(), standard);
    TypeAndLeave(dialog.outputEdit(), Path("again.avi"));
    QString asked;
    WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
      asked = box->text();
      QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
      if (box->isVisible()) {
        box->done(QMessageBox::No);  // the click did not reach it
        QFAIL("the question could not be answered");
      }
    });
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QVERIFY(asked.contains("has not QX62 format"));
    QVERIFY(!QFile::exists(Path("again.avi")));
    QVERIFY(dialog.isVisible());
  }

  void languageSwitchRestartsInTheNewLanguage() {
    ConverterApp app({board_, "out.avi"});
    MainDialog dialog(&app);
    dialog.show();
    LanguageSetting::Current().SelectCode(7);
    {
      ui::AboutDialog about(&dialog);
      QStringList names;
      for (int i = 0; i < about.languageList()->count(); ++i)
        names << about.languageList()->itemText(i);
      QCOMPARE(names, (QStringList{"Englisch", "Deutsch", "Französisch"}));
      QCOMPARE(about.languageList()->currentText(), QString("Deutsch"));
      about.LanguageChosen(2);
      names.clear();
      for (int i = 0; i < about.languageList()->count(); ++i)
        names << about.languageList()->itemText(i);
      QCOMPARE(names, (QStringList{"Anglais", "Allemand", "Français"}));
      QCOMPARE(about.languageList()->currentText(), QString("Français"));
    }
    char stored[80] = {};
    QVERIFY(ui::Settings::Language().Load(stored, sizeof stored));
    QCOMPARE(QString(stored), QString("FRE"));
    QCoreApplication::processEvents();  // the posted restart
    QCOMPARE(dialog.result(), MainDialog::kRestartResult);
    dialog.LoadTexts();
    dialog.show();
    QCOMPARE(dialog.startButton()->text(), QString("&Démarrage"));
    QCOMPARE(dialog.inputEdit()->text(), board_);
    QCOMPARE(dialog.outputEdit()->text(), QString("out.avi"));
    QCOMPARE(dialog.summaryLine(0)->text(), QString("   4 images au total (320x480)  Vid + Aud"));
    QCOMPARE(dialog.modeList()->itemText(1), QString("AVIQX62 -> AVI (images)"));
  }

  void modeIsStoredWhenTheDialogCloses() {
    {
      ConverterApp app({});
      MainDialog dialog(&app);
      dialog.show();
      dialog.modeList()->setCurrentIndex(3);
      emit dialog.modeList()->activated(3);
      dialog.reject();
    }
    uint8_t mode[4] = {};
    QVERIFY(ui::Settings::Mode().Load(mode, 4));
    QCOMPARE(int{mode[0]}, 3);
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    QCOMPARE(dialog.modeIndex(), 3);
  }

  void informationDialog() {
    ConverterApp app({});
    MainDialog owner(&app);
    ui::InfoDialog info(board_.toStdString(), &owner);
    QVERIFY(info.details().shown);
    QVERIFY(info.windowTitle().endsWith("[" + board_ + "]"));
    QVERIFY(info.videoGroup()->isEnabled());
    QVERIFY(info.audioGroup()->isEnabled());
    QCOMPARE(QString::fromStdString(info.details().video[0]),
             QString("MJPG      Initial 0 Frames"));
    for (const QString& other : {wave_, broken_, Path("missing.avi")}) {
      ui::InfoDialog none(other.toStdString(), &owner);
      QVERIFY(!none.details().shown);
      QCOMPARE(none.Run(), int{QDialog::Rejected});
    }
  }

  void windowMenuOpensAboutInEachLanguage() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    const struct {
      int code;
      QString entry;
      QStringList names;  // of the About dialog's language list
      int index;          // the current language in that list
    } languages[] = {{9, "Ab&out RUV izadaveve ...", {"English", "German", "French"}, 0},
                     {7, "Inf&o über RUV izadaveve...", {"Englisch", "Deutsch", "Französisch"}, 1},
                     {12, "Inf&ormations sur clipmill...", {"Anglais", "Allemand", "Français"}, 2}};
    for (const auto& language : languages) {
      LanguageSetting::Current().SelectCode(static_cast<uint16_t>(language.code));
      std::unique_ptr<QMenu> menu = dialog.BuildWindowMenu();
      QCOMPARE(menu->actions().size(), 1);
      QCOMPARE(menu->actions().first()->text(), language.entry);
      bool aboutOpened = false;
      WhenModalOpens<ui::AboutDialog>([&](ui::AboutDialog* about) {
        aboutOpened = true;
        QStringList names;
        for (int i = 0; i < about->languageList()->count(); ++i)
          names << about->languageList()->itemText(i);
        about->reject();
        QCOMPARE(names, language.names);
        QCOMPARE(about->languageList()->currentIndex(), language.index);
      });
      menu->actions().first()->trigger();
      QVERIFY(aboutOpened);
    }
  }

  void browseButtonsOfferTheFiltersAndRememberTheFolders() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    WhenModalOpens<QFileDialog>([&](QFileDialog* browse) {
      QCOMPARE(browse->nameFilters(), (QStringList{"AVI Files (*.avi)", "All Files (*.*)"}));
      browse->selectFile(board_);
      QMetaObject::invokeMethod(browse, "accept");
    });
    QTest::mouseClick(dialog.findChildren<QPushButton*>().at(0), Qt::LeftButton);
    QCOMPARE(dialog.inputEdit()->text(), board_);
    QCOMPARE(QString::fromStdString(dialog.inputName()), board_);
    QVERIFY(dialog.summaryLine(0)->text().contains("(320x480)"));
    char folder[256] = {};
    QVERIFY(ui::Settings::LastDirectory().Load(folder, sizeof folder));
    QCOMPARE(QString(folder), dir_.path());

    dialog.modeList()->setCurrentIndex(5);
    emit dialog.modeList()->activated(5);
    const QString map = Path("chosen.txt");
    WhenModalOpens<QFileDialog>([&](QFileDialog* browse) {
      QCOMPARE(browse->acceptMode(), QFileDialog::AcceptSave);
      QCOMPARE(browse->nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
      browse->selectFile(map);
      QMetaObject::invokeMethod(browse, "accept");
    });
    QPushButton* browseOutput = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      if (button->parentWidget() == dialog.outputEdit()->parentWidget()) browseOutput = button;
    }
    QVERIFY(browseOutput != nullptr);
    QTest::mouseClick(browseOutput, Qt::LeftButton);
    QCOMPARE(dialog.outputEdit()->text(), map);
    QVERIFY(ui::Settings::LastOutputDir().Load(folder, sizeof folder));
    QCOMPARE(QString(folder), dir_.path());

    // A cancelled browse changes nothing.
    WhenModalOpens<QFileDialog>([](QFileDialog* browse) { browse->reject(); });
    QTest::mouseClick(browseOutput, Qt::LeftButton);
    QCOMPARE(dialog.outputEdit()->text(), map);
  }

  void f1ShowsTheHelpOfTheLanguageAndReportsAMissingFile() {
    ConverterApp app({});
    MainDialog dialog(&app);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    LanguageSetting::Current().SelectCode(7);
    QTest::keyClick(&dialog, Qt::Key_F1);
    auto* viewer = dialog.findChild<QTextBrowser*>();
    QVERIFY(viewer != nullptr);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), QString("ClmlGer.hlp"));
    QVERIFY(!viewer->toPlainText().isEmpty());

    app.SetHelpFolder(Path("no-help-here"));
    QString reported;
    WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
      reported = box->text();
      box->accept();
    });
    QTest::keyClick(&dialog, Qt::Key_F1);
    QVERIFY(reported.contains(Path("no-help-here/ClmlGer.hlp")));
    dialog.reject();  // closing the program closes its help
    QCoreApplication::processEvents();
    QVERIFY(dialog.findChild<QTextBrowser*>() == nullptr || !viewer->isVisible());
  }

  void helpFileOfTheCurrentLanguage() {
    ConverterApp app({});
    LanguageSetting::Current().SelectCode(7);
    QVERIFY(app.HelpFileName().endsWith("/ClmlGer.hlp"));
    LanguageSetting::Current().SelectCode(12);
    QVERIFY(app.HelpFileName().endsWith("/ClmlFre.hlp"));
  }
};

QTEST_MAIN(ConverterUiTest)
#include "converter_ui_test.moc"
