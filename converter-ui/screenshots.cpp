// clipmill-screenshots: writes PNG pictures of the converter's three dialogs
// in the three languages, as a person would see them (the main dialog with a
// clip's summary, the information dialog of that clip, the About dialog).
//   clipmill-screenshots OUTDIR CLIP.avi
// Runs on the offscreen platform when there is no display.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>

#include "converter-ui/about_dialog.h"
#include "converter-ui/converter_app.h"
#include "converter-ui/info_dialog.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/main_dialog.h"

namespace {

bool Save(QWidget* widget, const QString& path) {
  widget->adjustSize();
  widget->show();
  QApplication::processEvents();
  const bool saved = widget->grab().save(path);
  widget->hide();
  if (!saved) std::fprintf(stderr, "clipmill-screenshots: cannot write %s\n", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: clipmill-screenshots OUTDIR CLIP.avi\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString clip = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(folder);
  bool ok = true;
  const struct {
    uint16_t code;
    const char* tag;
  } languages[] = {{9, "eng"}, {7, "ger"}, {12, "fre"}};
  for (const auto& language : languages) {
    ui::LanguageSetting::Current().SelectCode(language.code);
    ui::ConverterApp app({clip});
    ui::MainDialog main(&app);
    main.resize(520, 10);
    ok = Save(&main, folder + QStringLiteral("/main-%1.png").arg(language.tag)) && ok;
    ui::InfoDialog info(clip.toStdString(), &main);
    ok = Save(&info, folder + QStringLiteral("/info-%1.png").arg(language.tag)) && ok;
    ui::AboutDialog about(&main);
    ok = Save(&about, folder + QStringLiteral("/about-%1.png").arg(language.tag)) && ok;
  }
  return ok ? 0 : 1;
}
