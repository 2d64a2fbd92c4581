// Gliffo: an editor for sets of toolbar button glyphs.
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QScreen>
#include <cmath>
#include <memory>

#include "app/application.h"
#include "app/qt_application.h"
#include "app/qt_dialogs.h"
#include "app/recovery_keeper.h"
#include "collection/gliffo_form.h"
#include "collection/strings.h"
#include "editor/qt/gliff_edit_form.h"
#include "glyphs/canvas.h"
#include "glyphs/recovery.h"

int main(int argc, char** argv) {
  using namespace gliffo;
  TQtApplication qtApplication(argc, argv);

  // Fonts take the screen's logical resolution, which the platform reports once, here.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    SetScreenPixelsPerInch(static_cast<int>(std::lround(screen->logicalDotsPerInchY())));

  // 1. The application and its title.
  TApplication application(std::make_unique<TQtDialogService>(texts::ApplicationTitle));
  application.SetTitle(texts::ApplicationTitle);
  qtApplication.SetApplication(&application);

  // 2. The collection window, the main window: its creation sets AppDir and GlyphSize and
  //    restores its placement.
  auto GliffoF = std::make_unique<TGliffoF>(application);
  QObject::connect(GliffoF.get(), &TGliffoF::Closed, &qtApplication, &QApplication::quit);

  // 3. The editor window, hidden, after the collection window: its creation reads GlyphSize,
  //    which is 16 by now. Attaching it enables the collection window's editor commands.
  auto GliffEditF = std::make_unique<TGliffEditF>(application, *GliffoF);
  GliffoF->AttachEditor(GliffEditF.get(), GliffEditF.get());

  // 4. The event loop, until the collection window closes. Work that an earlier run left
  //    unsaved when it died is offered first; otherwise a file named on the command line (what
  //    Qt's own options leave) opens as a collection, a folder is browsed into. From then on
  //    unsaved work is kept in a recovery copy of this run's own.
  GliffoF->show();
  const std::string recoveryRoot = RecoveryRoot();
  bool recovered = false;
  application.Guard([&] {
    recovered = OfferLeftRecoveries(recoveryRoot, *GliffoF, GliffEditF->Model(), application.Dialogs());
  });
  const QStringList arguments = QCoreApplication::arguments();
  if (!recovered && arguments.size() > 1) GliffoF->OpenPath(QFile::encodeName(arguments.at(1)).toStdString());
  TRecoveryKeeper keeper(*GliffoF, GliffEditF->Model(), recoveryRoot);
  int status = qtApplication.exec();
  // Ended properly: whatever was unsaved, the user was asked about it.
  keeper.Finish();

  // Destroying the windows saves their placements; the editor goes first.
  GliffoF->AttachEditor(nullptr);
  GliffEditF.reset();
  GliffoF.reset();
  qtApplication.SetApplication(nullptr);
  return status;
}
