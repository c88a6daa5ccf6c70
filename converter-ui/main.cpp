// clipmill: the desktop converter.
//   clipmill [INPUT [OUTPUT]]
#include <QApplication>

#include "converter-ui/converter_app.h"
#include "converter-ui/language_setting.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ui::LanguageSetting::Current().Detect(ui::UserLanguageFromLocale());
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  ui::ConverterApp app(arguments);
  app.RunApplication();
  return 0;
}
