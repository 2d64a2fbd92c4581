#include "app/font_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QKeyEvent>
#include <QPixmap>
#include <QVBoxLayout>

#include "glyphs/colors.h"

namespace gliffo {

namespace {

struct TNamedColor {
  const char* Name;
  TColor Color;
};

constexpr TNamedColor StandardColors[] = {
    {"Black", clBlack}, {"Maroon", clMaroon}, {"Green", clGreen},   {"Olive", clOlive},     {"Navy", clNavy},
    {"Purple", clPurple}, {"Teal", clTeal},   {"Gray", clGray},     {"Silver", clSilver},   {"Red", clRed},
    {"Lime", clLime},   {"Yellow", clYellow}, {"Blue", clBlue},     {"Fuchsia", clFuchsia}, {"Aqua", clAqua},
    {"White", clWhite}};

QIcon Swatch(TColor color) {
  const raster::ColorRef c = ColorToRGB(color);
  QPixmap pixmap(14, 14);
  pixmap.fill(QColor(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c)));
  return QIcon(pixmap);
}

}  // namespace

TFontDialog::TFontDialog(const TFontChoice& initial, QWidget* parent) : QDialog(parent), initial_(initial) {
  setWindowTitle(QStringLiteral("Font"));
  QFont start(QString::fromStdString(initial.Name));
  if (initial.Size > 0) start.setPointSize(initial.Size);
  start.setBold(initial.Bold);
  start.setItalic(initial.Italic);
  start.setUnderline(initial.Underline);
  start.setStrikeOut(initial.StrikeOut);

  chooser_ = new QFontDialog(start, this);
  chooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  chooser_->setWindowFlags(Qt::Widget);
  chooser_->setCurrentFont(start);

  colors_ = new QComboBox(this);
  // A colour outside the sixteen (the window-text colour a new font starts with) stays
  // choosable as it is.
  bool standard = false;
  for (const TNamedColor& c : StandardColors) standard = standard || c.Color == initial.Color;
  if (!standard) colors_->addItem(Swatch(initial.Color), QStringLiteral("Automatic"), initial.Color);
  for (const TNamedColor& c : StandardColors) colors_->addItem(Swatch(c.Color), QString::fromLatin1(c.Name), c.Color);
  colors_->setCurrentIndex(colors_->findData(initial.Color));

  auto* colorRow = new QFormLayout;
  colorRow->addRow(QStringLiteral("&Color:"), colors_);
  // The chooser is a dialog of its own: Escape and Enter would close only it, leaving this one
  // empty. They answer for the whole dialog instead.
  connect(chooser_, &QDialog::accepted, this, &QDialog::accept);
  connect(chooser_, &QDialog::rejected, this, &QDialog::reject);
  chooser_->installEventFilter(this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chooser_);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);
}

bool TFontDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chooser_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
      if (key->key() == Qt::Key_Escape) {
        reject();
        return true;
      }
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        accept();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

TFontChoice TFontDialog::Choice() const {
  const QFont font = chooser_->currentFont();
  TFontChoice choice = initial_;
  choice.Name = font.family().toStdString();
  choice.Size = font.pointSize() > 0 ? font.pointSize() : initial_.Size;
  choice.Bold = font.bold();
  choice.Italic = font.italic();
  choice.Underline = font.underline();
  choice.StrikeOut = font.strikeOut();
  choice.Color = colors_->currentData().toInt();
  return choice;
}

}  // namespace gliffo
