#include "collection/set_check_list.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "collection/strings.h"

namespace gliffo {

TSetCheckList::TSetCheckList(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CheckList1"));
  setWindowTitle(QString::fromUtf8(texts::CheckSetCaption));
  setModal(false);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("Problems1"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  resize(640, 220);
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int row = list_->row(item);
    if (row < 0 || row >= static_cast<int>(problems_.size())) return;
    const TSetProblem& p = problems_[static_cast<std::size_t>(row)];
    emit ProblemChosen(p.Icon, QString::fromStdString(p.Name), p.Column);
  });
}

void TSetCheckList::ShowProblems(std::vector<TSetProblem> problems) {
  problems_ = std::move(problems);
  list_->clear();
  for (const TSetProblem& p : problems_) list_->addItem(QString::fromStdString(ProblemLine(p)));
  if (problems_.empty()) {
    auto* none = new QListWidgetItem(QString::fromUtf8(texts::CheckSetNoProblems), list_);
    none->setFlags(Qt::NoItemFlags);
  }
  show();
  raise();
}

}  // namespace gliffo
