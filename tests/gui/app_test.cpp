#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <stdexcept>

#include "app/application.h"
#include "app/file_filter.h"
#include "app/qt_application.h"
#include "collection/strings.h"
#include "platform/errors.h"
#include "tests/scripted_dialogs.h"

namespace gliffo::testing {
namespace {

struct GuardedApp {
  GuardedApp() {
    auto owned = std::make_unique<TScriptedDialogs>();
    dialogs = owned.get();
    app = std::make_unique<TApplication>(std::move(owned), "/opt/gliffo/gliffo");
  }
  TScriptedDialogs* dialogs;
  std::unique_ptr<TApplication> app;
};

TEST(ApplicationTest, TitleAndProgramPath) {
  GuardedApp g;
  EXPECT_EQ(g.app->Title(), "Gliffo 2");
  EXPECT_EQ(g.app->ExeName(), "/opt/gliffo/gliffo");
}

TEST(ApplicationTest, GuardShowsTheErrorBoxWithTheFullStopRuleAndGoesOn) {
  GuardedApp g;
  auto raise = [&](auto error) { return g.app->Guard([&] { throw error; }); };
  EXPECT_FALSE(raise(EInvalidGraphic("Bitmap image is not valid")));
  EXPECT_FALSE(raise(EInvalidOperation("Stopped!")));      // '!' comes before '.'
  EXPECT_FALSE(raise(EInvalidOperation("Ends well.")));    // no second full stop
  EXPECT_FALSE(raise(EInvalidOperation("Code 5)")));       // ')' comes before '.' too
  EXPECT_FALSE(raise(EInvalidOperation("Path /tmp/a/")));  // '/' comes after '.'
  EXPECT_FALSE(raise(std::runtime_error("plain")));
  EXPECT_FALSE(raise(42));
  EXPECT_FALSE(raise(std::bad_alloc()));
  EXPECT_EQ(g.dialogs->Log(), (std::vector<std::string>{
                                  "error:Bitmap image is not valid.", "error:Stopped!", "error:Ends well.",
                                  "error:Code 5)", "error:Path /tmp/a/.", "error:plain.",
                                  std::string("error:") + texts::UnknownError + ".",
                                  std::string("error:") + texts::OutOfMemory + "."}));
  // The next command runs as if nothing had happened.
  int ran = 0;
  EXPECT_TRUE(g.app->Guard([&] { ++ran; }));
  EXPECT_EQ(ran, 1);
}

// An exception raised by any event handler ends in the error box, never in Qt's event loop.
TEST(ApplicationTest, EventsAreDeliveredInsideTheGuard) {
  GuardedApp g;
  auto* qt = static_cast<TQtApplication*>(QCoreApplication::instance());
  qt->SetApplication(g.app.get());

  class Thrower : public QObject {
   protected:
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) throw EInvalidOperation("Handler failed");
      return QObject::event(e);
    }
  } thrower;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&thrower, &event);
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  qt->SetApplication(nullptr);
  EXPECT_EQ(g.dialogs->Log(), (std::vector<std::string>{"error:Handler failed.", "error:Handler failed."}));
}

TEST(FileFilterTest, ConvertsPairsAndPatterns) {
  auto entries = ConvertFilter("Bitmap Collection|*.gbc|BMP Files|*.bmp");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Title, "Bitmap Collection (*.gbc)");
  EXPECT_EQ(entries[1].Title, "BMP Files (*.bmp)");
  EXPECT_EQ(FilterExtension(entries[1]), "bmp");

  auto several = ConvertFilter("Pictures|*.bmp;*.dib|All|*.*|Odd");
  ASSERT_EQ(several.size(), 3u);
  EXPECT_EQ(several[0].Title, "Pictures (*.bmp *.dib)");
  EXPECT_EQ(FilterExtension(several[0]), "");
  EXPECT_EQ(FilterExtension(several[1]), "");
  EXPECT_EQ(several[2].Title, "Odd (*)");  // a name without patterns shows everything
  EXPECT_TRUE(ConvertFilter("").empty());
}

TEST(FileFilterTest, DefaultExtensionOnlyForNamesWithoutOne) {
  EXPECT_EQ(WithDefaultExtension("/tmp/set", "gbc"), "/tmp/set.gbc");
  EXPECT_EQ(WithDefaultExtension("/tmp/set.bmp", "gbc"), "/tmp/set.bmp");
  EXPECT_EQ(WithDefaultExtension("/tmp/v1.0/set", "gbc"), "/tmp/v1.0/set.gbc");
  EXPECT_EQ(WithDefaultExtension("/tmp/.hidden", "gbc"), "/tmp/.hidden.gbc");
  EXPECT_EQ(WithDefaultExtension("/tmp/set.", "gbc"), "/tmp/set.gbc");
  EXPECT_EQ(WithDefaultExtension("/tmp/set", ""), "/tmp/set");
}

}  // namespace
}  // namespace gliffo::testing
