// The window tests run on Qt's offscreen platform unless told otherwise, so they need no
// display; the application is the program's own, with its guard around every event.
#include <gtest/gtest.h>

#include "app/qt_application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gliffo::TQtApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
