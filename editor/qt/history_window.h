#pragma once
// The History window: the editor's steps by name, each with the glyph as it stood after it;
// the current one is selected, and clicking another goes there.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QListWidget;

namespace gliffo {

class TEditHistory;

class THistoryWindow : public QWidget {
  Q_OBJECT
 public:
  // goTo runs the editor's move to a step (inside the application's guard).
  THistoryWindow(const TEditHistory& history, std::function<void(int)> goTo, QWidget* parent);
  // Takes the steps anew; rows whose step did not change keep their picture.
  void HistoryChanged();
  QListWidget* Steps() const { return list_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const TEditHistory& history_;
  std::function<void(int)> goTo_;
  QListWidget* list_ = nullptr;
  // The glyph store each row shows, held so that its address names it: an unchanged row is
  // not drawn again.
  std::vector<std::shared_ptr<const void>> shown_;
};

}  // namespace gliffo
