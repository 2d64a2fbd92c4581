// The real Qt dialogs, answered by a timer that acts on the dialog once it is up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/font_dialog.h"
#include "app/qt_dialogs.h"
#include "glyphs/colors.h"

namespace gliffo::testing {
namespace {

namespace fs = std::filesystem;

// Runs `act` on the modal dialog of type W as soon as it shows.
template <class W>
void WhenShown(std::function<void(W*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<W*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start();
}

struct BoxSeen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

BoxSeen Look(QMessageBox* box) {
  BoxSeen seen{box->windowTitle(), box->text(), box->icon(), {}};
  for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
  return seen;
}

TEST(QtDialogsTest, MessageErrorAndConfirmationBoxes) {
  TQtDialogService dialogs("Gliffo 2");
  BoxSeen seen;
  WhenShown<QMessageBox>([&](QMessageBox* box) { seen = Look(box); box->button(QMessageBox::Ok)->click(); });
  dialogs.ShowMessage("No bitmap selected!");
  EXPECT_EQ(seen.title, "Gliffo 2");
  EXPECT_EQ(seen.text, "No bitmap selected!");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons.size(), 1);

  WhenShown<QMessageBox>([&](QMessageBox* box) { seen = Look(box); box->button(QMessageBox::Ok)->click(); });
  dialogs.ShowError("Bitmap image is not valid.");
  EXPECT_EQ(seen.title, "Gliffo 2");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);

  auto answer = [&](const QString& buttonText) {
    WhenShown<QMessageBox>([&seen, buttonText](QMessageBox* box) {
      seen = Look(box);
      for (QAbstractButton* button : box->buttons())
        if (button->text() == buttonText) button->click();
      if (buttonText.isEmpty()) box->reject();  // Escape or the close box
    });
    return dialogs.Confirm("Clear Viewer?");
  };
  EXPECT_EQ(answer("&Yes"), TDialogAnswer::Yes);
  EXPECT_EQ(seen.title, "Confirm");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.buttons, (QStringList{"&Yes", "&No"}));
  EXPECT_EQ(answer("&No"), TDialogAnswer::No);
  EXPECT_EQ(answer(""), TDialogAnswer::No);
}

class QtFileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gliffo_dialogs_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  TQtDialogService dialogs_{"Gliffo 2"};
};

TEST_F(QtFileDialogsTest, SaveAddsTheDefaultExtensionAndNeverAsksAboutReplacing) {
  std::ofstream((dir_ / "old.gbc").string()) << "x";
  QStringList filters;
  QString startFilter;
  auto typeName = [&](const std::string& name) {
    WhenShown<QFileDialog>([&, name](QFileDialog* dialog) {
      filters = dialog->nameFilters();
      startFilter = dialog->selectedNameFilter();
      dialog->setDirectory(QString::fromStdString(dir_.string()));
      dialog->selectFile(QString::fromStdString(name));
      static_cast<QDialog*>(dialog)->accept();
    });
  };
  TSaveFileRequest request{"Bitmap Collection|*.gbc|BMP Files|*.bmp", 1, "gbc"};
  typeName("set");
  EXPECT_EQ(dialogs_.SaveFile(request), (dir_ / "set.gbc").string());
  EXPECT_EQ(filters, (QStringList{"Bitmap Collection (*.gbc)", "BMP Files (*.bmp)"}));
  EXPECT_EQ(startFilter, "Bitmap Collection (*.gbc)");

  typeName("old.gbc");  // exists: no question of the dialog's own
  EXPECT_EQ(dialogs_.SaveFile(request), (dir_ / "old.gbc").string());

  TSaveFileRequest exportRequest{"Bitmap Collection|*.gbc|BMP Files|*.bmp", 2, "bmp"};
  typeName("glyph");
  EXPECT_EQ(dialogs_.SaveFile(exportRequest), (dir_ / "glyph.bmp").string());
  EXPECT_EQ(startFilter, "BMP Files (*.bmp)");

  WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(dialogs_.SaveFile(request), std::nullopt);
}

TEST_F(QtFileDialogsTest, OpenSingleAndMultiple) {
  std::ofstream((dir_ / "a.gbc").string()) << "x";
  std::ofstream((dir_ / "b.gbc").string()) << "x";
  QFileDialog::FileMode mode{};
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    mode = dialog->fileMode();
    dialog->setDirectory(QString::fromStdString(dir_.string()));
    dialog->selectFile("a.gbc");
    static_cast<QDialog*>(dialog)->accept();
  });
  auto one = dialogs_.OpenFiles({"Bitmap Collection|*.gbc", 1, "", false});
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_EQ(one, std::vector<std::string>{(dir_ / "a.gbc").string()});

  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    mode = dialog->fileMode();
    dialog->setDirectory(QString::fromStdString(dir_.string()));
    dialog->selectFile("\"a.gbc\" \"b.gbc\"");
    static_cast<QDialog*>(dialog)->accept();
  });
  auto two = dialogs_.OpenFiles({"Bitmap Collection|*.gbc", 1, "", true});
  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ(two->size(), 2u);
}

TEST(QtInputBoxTest, ReturnsTheTextOrNothing) {
  TQtDialogService dialogs("Gliffo 2");
  QString caption, prompt;
  WhenShown<QInputDialog>([&](QInputDialog* box) {
    caption = box->windowTitle();
    prompt = box->labelText();
    EXPECT_EQ(box->textValue(), "B");
    box->setTextValue("");
    box->accept();
  });
  EXPECT_EQ(dialogs.InputBox("Gliffo Text", "Enter Caption", "B"), "");  // an empty text is an answer
  EXPECT_EQ(caption, "Gliffo Text");
  EXPECT_EQ(prompt, "Enter Caption");
  WhenShown<QInputDialog>([](QInputDialog* box) { box->reject(); });
  EXPECT_EQ(dialogs.InputBox("Gliffo Text", "Enter Caption", "B"), std::nullopt);
}

}  // namespace
}  // namespace gliffo::testing

namespace gliffo::testing {
namespace {

// The font dialog offers the text colour beside face, size and style, and starts from the font
// it is given.
TEST(QtFontDialogTest, StartsFromTheFontAndReturnsFaceStyleAndColour) {
  TQtDialogService dialogs("Gliffo 2");
  TFontChoice initial;
  initial.Name = "DejaVu Sans";
  initial.Size = 36;
  initial.Bold = true;
  initial.Color = clWindowText;
  QString startedAs;
  int startedSize = 0;
  WhenShown<TFontDialog>([&](TFontDialog* dialog) {
    startedAs = dialog->Chooser()->currentFont().family();
    startedSize = dialog->Chooser()->currentFont().pointSize();
    EXPECT_EQ(dialog->Colors()->currentText(), "Automatic");
    QFont underlined = dialog->Chooser()->currentFont();
    underlined.setUnderline(true);
    dialog->Chooser()->setCurrentFont(underlined);
    dialog->Colors()->setCurrentIndex(dialog->Colors()->findText("Red"));
    dialog->accept();
  });
  std::optional<TFontChoice> chosen = dialogs.ChooseFont(initial);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(startedAs, "DejaVu Sans");
  EXPECT_EQ(startedSize, 36);
  EXPECT_EQ(chosen->Name, "DejaVu Sans");
  EXPECT_EQ(chosen->Size, 36);
  EXPECT_TRUE(chosen->Bold);
  EXPECT_FALSE(chosen->Italic);
  EXPECT_TRUE(chosen->Underline);
  EXPECT_EQ(chosen->Color, clRed);

  // A standard colour is selected as itself; cancelling gives nothing.
  initial.Color = clNavy;
  WhenShown<TFontDialog>([&](TFontDialog* dialog) {
    EXPECT_EQ(dialog->Colors()->currentText(), "Navy");
    EXPECT_EQ(dialog->Colors()->findText("Automatic"), -1);
    dialog->reject();
  });
  EXPECT_FALSE(dialogs.ChooseFont(initial).has_value());
}

}  // namespace
}  // namespace gliffo::testing
