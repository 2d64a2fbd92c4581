#include "app/qt_application.h"

#include <cstdio>

#include "ui/application_intf.h"

namespace gliffo {

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("gliffo"));
}

bool TQtApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  if (application_ != nullptr) {
    application_->Guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
  }
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gliffo: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "gliffo: unexpected error\n");
  }
  return false;
}

}  // namespace gliffo
