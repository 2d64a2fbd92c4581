#pragma once
// The Qt application with the guard around every event it delivers, so that no exception
// ever reaches Qt's event loop, whichever handler raised it.
#include <QApplication>

namespace gliffo {

class IApplication;

class TQtApplication : public QApplication {
 public:
  TQtApplication(int& argc, char** argv);
  void SetApplication(IApplication* application) { application_ = application; }
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  IApplication* application_ = nullptr;
};

}  // namespace gliffo
