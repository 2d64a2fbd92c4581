#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <fstream>

#include "gui_fixture.h"
#include "platform/profile/profile.h"

namespace gliffo::testing {
namespace {

using profile::GetPrivateProfileString;

class PlacementTest : public GuiTest {
 protected:
  std::string Entry(const std::string& key) { return GetPrivateProfileString("Window", key, "<none>", IniPath()); }
  void PutIni(const std::string& text) { std::ofstream(IniPath()) << text; }
};

TEST_F(PlacementTest, FirstRunUsesTheDesignPlaceAndWritesItOnExit) {
  Start();
  EXPECT_EQ(window_->pos(), QPoint(184, 115));
  QSize size = window_->frameGeometry().size();
  Stop();
  EXPECT_EQ(Entry("Left"), "184");
  EXPECT_EQ(Entry("Top"), "115");
  EXPECT_EQ(Entry("Width"), std::to_string(size.width()));
  EXPECT_EQ(Entry("Height"), std::to_string(size.height()));
  EXPECT_EQ(Entry("State"), "<none>");
  EXPECT_TRUE(dialogs_->Calls.empty());
}

TEST_F(PlacementTest, RestoredOnStartAndOtherSectionsKept) {
  PutIni("[EWindow]\nLeft=405\n\n[window]\nleft=10\nTOP=20\nWidth=600\nHeight=500\n");
  Start();
  EXPECT_EQ(window_->pos(), QPoint(10, 20));
  EXPECT_EQ(window_->frameGeometry().size(), QSize(600, 500));
  window_->move(30, 40);
  Stop();
  EXPECT_EQ(Entry("Left"), "30");
  EXPECT_EQ(Entry("Top"), "40");
  EXPECT_EQ(Entry("Width"), "600");
  EXPECT_EQ(GetPrivateProfileString("EWindow", "Left", "", IniPath()), "405");
}

TEST_F(PlacementTest, UnparsableAndHexadecimalValues) {
  PutIni("[Window]\nLeft=left edge\nTop=0x64\nWidth=$258\nHeight=0x\n");
  Start();
  EXPECT_EQ(window_->pos(), QPoint(184, 100));
  EXPECT_EQ(window_->frameGeometry().width(), 600);
  EXPECT_EQ(window_->height(), window_->Scaled(448) + window_->menuBar()->sizeHint().height());
}

TEST_F(PlacementTest, StateOneOpensMaximisedAndStays) {
  PutIni("[Window]\nState=1\nLeft=5\n");
  Start();
  EXPECT_TRUE(window_->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(window_->pos(), QPoint(184, 115));  // nothing else was read
  Stop();
  EXPECT_EQ(Entry("State"), "1");
  EXPECT_EQ(Entry("Left"), "5");  // a maximised window writes State alone

  // A later run that is not maximised writes the geometry and leaves State as it was.
  PutIni("[Window]\nState=0\n");
  Start();
  EXPECT_FALSE(window_->windowState() & Qt::WindowMaximized);
  Stop();
  EXPECT_EQ(Entry("State"), "0");
  EXPECT_EQ(Entry("Left"), "184");
}

// Settings from a bigger screen, or a size the window has outgrown (the editor's fixed size
// grows with the screen's scale), never put a shown window partly off the screen.
TEST_F(PlacementTest, AShownWindowStandsWhollyOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  PutIni("[EWindow]\nLeft=" + std::to_string(screen.right() - 40) + "\nTop=" + std::to_string(screen.bottom() - 30) +
         "\nWidth=50\nHeight=40\n[Window]\nLeft=-300\nTop=" + std::to_string(screen.bottom() - 10) + "\n");
  StartWithEditor();
  window_->show();
  window_->BMPEditor1->trigger();
  QCoreApplication::processEvents();
  for (QWidget* shown : {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(editor_.get())}) {
    ASSERT_TRUE(shown->isVisible());
    EXPECT_TRUE(screen.contains(shown->frameGeometry())) << shown->objectName().toStdString();
  }
  EXPECT_EQ(editor_->minimumSize(), editor_->maximumSize());
  EXPECT_GT(editor_->height(), 40) << "the editor keeps the size its parts need";
}

TEST_F(PlacementTest, UnwritableSettingsShowTheErrorAndShutdownGoesOn) {
  fs::create_directory(IniPath());  // a folder where the file should be
  Start();
  Stop();
  EXPECT_EQ(window_, nullptr);
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"error:Unable to write to " + IniPath() + "."});
}

}  // namespace
}  // namespace gliffo::testing
