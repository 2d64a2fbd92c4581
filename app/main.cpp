// Gliffo: an editor for sets of toolbar button glyphs.
#include <memory>

#include "app/application.h"
#include "app/qt_application.h"
#include "app/qt_dialogs.h"
#include "collection/gliffo_form.h"
#include "collection/strings.h"

int main(int argc, char** argv) {
  using namespace gliffo;
  TQtApplication qtApplication(argc, argv);

  // 1. The application and its title.
  TApplication application(std::make_unique<TQtDialogService>(texts::ApplicationTitle));
  application.SetTitle(texts::ApplicationTitle);
  qtApplication.SetApplication(&application);

  // 2. The collection window, the main window: its creation sets AppDir and GlyphSize and
  //    restores its placement.
  auto GliffoF = std::make_unique<TGliffoF>(application);
  QObject::connect(GliffoF.get(), &TGliffoF::Closed, &qtApplication, &QApplication::quit);

  // 3. The editor window is created here, hidden, after the collection window (its creation
  //    reads GlyphSize, which is 16 by now), and attached with GliffoF->AttachEditor(...).

  // 4. The event loop, until the collection window closes.
  GliffoF->show();
  int status = qtApplication.exec();

  // Destroying the windows saves their placements; the editor goes first once it exists.
  GliffoF.reset();
  qtApplication.SetApplication(nullptr);
  return status;
}
