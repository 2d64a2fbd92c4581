#include "app/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/file_filter.h"
#include "app/font_dialog.h"
#include "collection/strings.h"

namespace gliffo {

namespace {

QWidget* DialogParent() { return QApplication::activeWindow(); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

QStringList FilterTitles(const std::vector<TFilterEntry>& entries) {
  QStringList titles;
  for (const TFilterEntry& entry : entries) titles << Q(entry.Title);
  return titles;
}

// The filter the dialog starts with: the 1-based index, or the first when out of range.
void SelectFilter(QFileDialog& dialog, const QStringList& titles, int filterIndex) {
  if (titles.isEmpty()) return;
  int at = filterIndex >= 1 && filterIndex <= titles.size() ? filterIndex - 1 : 0;
  dialog.selectNameFilter(titles[at]);
}

}  // namespace

void TQtDialogService::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, Q(title_), Q(text), QMessageBox::Ok, DialogParent());
  box.exec();
}

void TQtDialogService::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, Q(title_), Q(text), QMessageBox::Ok, DialogParent());
  box.exec();
}

void TQtDialogService::ShowErrorDetail(const std::string& text, const std::string& detail) {
  QMessageBox box(QMessageBox::Critical, Q(title_), Q(text), QMessageBox::Ok, DialogParent());
  box.setInformativeText(Q(detail));
  box.exec();
}

TDialogAnswer TQtDialogService::ConfirmWithCancel(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(texts::ConfirmCaption), Q(text), QMessageBox::NoButton,
                  DialogParent());
  QPushButton* yes = box.addButton(QString::fromUtf8(texts::YesButton), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QString::fromUtf8(texts::NoButton), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QString::fromUtf8(texts::CancelButton), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  // Closing the box by its frame counts as Cancel too: nothing is discarded unasked.
  if (box.clickedButton() == yes) return TDialogAnswer::Yes;
  return box.clickedButton() == no ? TDialogAnswer::No : TDialogAnswer::Cancel;
}

TDialogAnswer TQtDialogService::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(texts::ConfirmCaption), Q(text), QMessageBox::NoButton,
                  DialogParent());
  QPushButton* yes = box.addButton(QString::fromUtf8(texts::YesButton), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QString::fromUtf8(texts::NoButton), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? TDialogAnswer::Yes : TDialogAnswer::No;
}

std::optional<std::vector<std::string>> TQtDialogService::OpenFiles(const TOpenFileRequest& request) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (!request.Title.empty()) dialog.setWindowTitle(Q(request.Title));
  QStringList titles = FilterTitles(ConvertFilter(request.Filter));
  if (!titles.isEmpty()) dialog.setNameFilters(titles);
  SelectFilter(dialog, titles, request.FilterIndex);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> names;
  for (const QString& name : dialog.selectedFiles()) names.push_back(name.toStdString());
  if (names.empty()) return std::nullopt;
  return names;
}

std::optional<std::string> TQtDialogService::SaveFile(const TSaveFileRequest& request) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The program asks before replacing a file where it means to; the dialog does not.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.Title.empty()) dialog.setWindowTitle(Q(request.Title));
  std::vector<TFilterEntry> entries = ConvertFilter(request.Filter);
  QStringList titles = FilterTitles(entries);
  if (!titles.isEmpty()) dialog.setNameFilters(titles);
  SelectFilter(dialog, titles, request.FilterIndex);
  if (!request.InitialName.empty()) {
    QFileInfo initial(Q(request.InitialName));
    if (initial.isDir()) {
      dialog.setDirectory(initial.absoluteFilePath());
    } else {
      dialog.setDirectory(initial.absolutePath());
      dialog.selectFile(initial.fileName());
    }
  }
  savedFilter_ = 0;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;

  // A name typed without an extension gets the default one; when the user picked another
  // filter than the one offered, that filter's own extension is meant instead.
  std::string extension = request.DefaultExtension;
  int chosen = static_cast<int>(titles.indexOf(dialog.selectedNameFilter())) + 1;
  savedFilter_ = chosen;
  if (chosen >= 1 && chosen != request.FilterIndex) {
    std::string filterExtension = FilterExtension(entries[static_cast<std::size_t>(chosen - 1)]);
    if (!filterExtension.empty()) extension = filterExtension;
  }
  return WithDefaultExtension(dialog.selectedFiles().front().toStdString(), extension);
}

std::optional<TFontChoice> TQtDialogService::ChooseFont(const TFontChoice& initial) {
  TFontDialog dialog(initial, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

std::optional<TColourWithAlpha> TQtDialogService::ChooseColour(const TColourWithAlpha& initial) {
  const QColor start(initial.Color & 0xFF, (initial.Color >> 8) & 0xFF, (initial.Color >> 16) & 0xFF, initial.Alpha);
  const QColor chosen = QColorDialog::getColor(start, DialogParent(), QString(), QColorDialog::ShowAlphaChannel);
  if (!chosen.isValid()) return std::nullopt;
  return TColourWithAlpha{chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16), chosen.alpha()};
}

std::optional<std::string> TQtDialogService::InputBox(const std::string& caption, const std::string& prompt,
                                                      const std::string& defaultValue) {
  bool ok = false;
  QString text = QInputDialog::getText(DialogParent(), Q(caption), Q(prompt), QLineEdit::Normal, Q(defaultValue), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

}  // namespace gliffo
