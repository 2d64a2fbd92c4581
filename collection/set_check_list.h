#pragma once
// The problems Check Set found, in a window of their own beside the set: one line each, as
// gliffo-tool check prints them; a click on one asks for its cell to be selected.
#include <QDialog>
#include <vector>

#include "glyphs/set_check.h"

class QListWidget;

namespace gliffo {

class TSetCheckList : public QDialog {
  Q_OBJECT
 public:
  explicit TSetCheckList(QWidget* parent);
  // The problems of the latest check; the list is shown and raised.
  void ShowProblems(std::vector<TSetProblem> problems);
  const std::vector<TSetProblem>& Problems() const { return problems_; }
  QListWidget* List() const { return list_; }

 signals:
  // The problem's icon, by index and name (the set may have changed since the check), and its
  // column (-1: the icon as a whole).
  void ProblemChosen(int icon, const QString& name, int column);

 private:
  QListWidget* list_ = nullptr;
  std::vector<TSetProblem> problems_;
};

}  // namespace gliffo
