#pragma once
// The font dialog: face, size and style as Qt's font chooser offers them, and the text colour
// from the sixteen standard colours, as a font dialog with effects offers it.
#include <QDialog>

#include "glyphs/dialogs.h"

class QComboBox;
class QFontDialog;

namespace gliffo {

class TFontDialog : public QDialog {
  Q_OBJECT
 public:
  TFontDialog(const TFontChoice& initial, QWidget* parent);
  TFontChoice Choice() const;
  QFontDialog* Chooser() const { return chooser_; }
  QComboBox* Colors() const { return colors_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TFontChoice initial_;
  QFontDialog* chooser_ = nullptr;
  QComboBox* colors_ = nullptr;
};

}  // namespace gliffo
