#include "collection/folder_browser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "collection/browser_icons.h"
#include "glyphs/dialogs.h"
#include "glyphs/folder_load.h"
#include "glyphs/strings.h"
#include "glyphs/glyph_list.h"
#include "platform/drives/current_directory.h"
#include "platform/drives/folder_listing.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

QString FromNative(const std::string& text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }

// Shows the busy cursor for as long as it lives, once Show() has been called.
class BusyCursor {
 public:
  BusyCursor() = default;
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor() {
    if (shown_) QApplication::restoreOverrideCursor();
  }
  void Show() {
    if (shown_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    shown_ = true;
  }

 private:
  bool shown_ = false;
};

// Paints a folder-list line at its own indent: the role's picture, then the name 20 pixels on.
class FolderLineDelegate : public QStyledItemDelegate {
 public:
  explicit FolderLineDelegate(TDirectoryListBox* list) : QStyledItemDelegate(list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto& lines = list_->Lines();
    if (index.row() < 0 || index.row() >= static_cast<int>(lines.size())) return;
    const drives::FolderLine& line = lines[static_cast<size_t>(index.row())];
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    const QPixmap& pixmap = FolderLinePixmap(line);
    const int top = option.rect.top() + (option.rect.height() - pixmap.height()) / 2;
    painter->drawPixmap(option.rect.left() + line.Indent, top, pixmap);
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    QRect textRect = option.rect.adjusted(line.TextLeft, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, FromNative(line.Text));
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto& lines = list_->Lines();
    int width = 0;
    if (index.row() >= 0 && index.row() < static_cast<int>(lines.size())) {
      const auto& line = lines[static_cast<size_t>(index.row())];
      width = line.TextLeft + option.fontMetrics.horizontalAdvance(FromNative(line.Text)) + 4;
    }
    return QSize(width, std::max(17, option.fontMetrics.height() + 1));
  }

 private:
  const TDirectoryListBox* list_;
};

}  // namespace

// ---- filelist

TFileListBox::TFileListBox(QWidget* parent) : QWidget(parent) {
  setObjectName("filelist");
  setVisible(false);
}

void TFileListBox::SetDirectory(const std::string& folder) {
  if (!directory_.empty() && drives::SameFolder(folder, directory_)) return;
  drives::SetCurrentDirectory(folder);
  directory_ = drives::CurrentDirectory();
  ReadFileNames();
}

void TFileListBox::SetMask(const std::string& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  if (!directory_.empty()) ReadFileNames();
}

void TFileListBox::ReadFileNames() {
  names_.clear();
  ++readCount_;
  BusyCursor busy;
  bool counted = false;
  names_ = drives::ListFolderFiles(directory_, mask_, [&](size_t entries) {
    if (entries <= QuietEntries || counted) return;
    busy.Show();
    counted = true;
    ++busyReadCount_;
  });
}

// ---- RzDirectoryListBox1

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
  setObjectName("RzDirectoryListBox1");
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new FolderLineDelegate(this));
  setUniformItemSizes(true);
  // Only a double-click or Enter opens a line, whatever the style thinks of single clicks.
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { Guarded([&] { OpenLine(row(item)); }); });
}

void TDirectoryListBox::Guarded(const std::function<void()>& handler) {
  if (guard_) {
    guard_(handler);
  } else {
    handler();
  }
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Guarded([&] { OpenLine(currentRow()); });
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::ShowCurrentDirectory() {
  try {
    directory_ = drives::CurrentDirectory();
  } catch (const EInOutError&) {
    // Started in a folder that has since gone: begin at the root instead.
    drives::SetCurrentDirectory("/");
    directory_ = drives::CurrentDirectory();
  }
  Rebuild();
  if (fileList_ != nullptr) {
    try {
      fileList_->SetDirectory(directory_);
    } catch (const Exception&) {
      // An unreadable start folder simply lists no files; nothing is loaded at start anyway.
    }
  }
}

void TDirectoryListBox::OpenLine(int row) {
  if (row < 0 || row >= static_cast<int>(lines_.size())) return;
  ChangeDirectory(lines_[static_cast<size_t>(row)].Path);
}

void TDirectoryListBox::ChangeDirectory(const std::string& folder) {
  if (drives::SameFolder(folder, directory_)) return;
  if (CanChange && !CanChange(folder)) return;
  drives::SetCurrentDirectory(folder);
  directory_ = drives::CurrentDirectory();
  Rebuild();
  RaiseChange();
}

void TDirectoryListBox::Rebuild() {
  lines_ = drives::ReadFolderLines(directory_);
  clear();
  for (const auto& line : lines_) addItem(FromNative(line.Text));
  const int current = drives::CurrentLineIndex(lines_);
  setCurrentRow(current);
  if (current >= 0) scrollToItem(item(current));
  if (driveCombo_ != nullptr) driveCombo_->ShowVolumeOf(directory_);
}

void TDirectoryListBox::RaiseChange() {
  if (fileList_ != nullptr) fileList_->SetDirectory(directory_);
  if (OnChange) OnChange();
}

// ---- RzDriveComboBox1

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  setObjectName("RzDriveComboBox1");
  setIconSize(QSize(16, 16));
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (guard_) {
      guard_([&] { ChooseVolume(index); });
    } else {
      ChooseVolume(index);
    }
  });
}

void TDriveComboBox::SetDirList(TDirectoryListBox* dirList) {
  dirList_ = dirList;
  if (dirList_ != nullptr) dirList_->SetDriveCombo(this);
}

void TDriveComboBox::SetVolumes(std::vector<drives::Volume> volumes) {
  volumes_ = std::move(volumes);
  clear();
  for (const auto& volume : volumes_) addItem(QIcon(DriveKindPixmap(volume.Kind)), FromNative(volume.Text));
  shown_ = -1;
  if (dirList_ != nullptr) ShowVolumeOf(dirList_->Directory());
}

void TDriveComboBox::ShowVolumeOf(const std::string& folder) {
  shown_ = drives::VolumeIndexOf(volumes_, folder);
  setCurrentIndex(shown_);
}

void TDriveComboBox::ChooseVolume(int index) {
  if (index < 0 || index >= static_cast<int>(volumes_.size()) || index == shown_) return;
  try {
    setCurrentIndex(index);
    if (dirList_ != nullptr) dirList_->ChangeDirectory(volumes_[static_cast<size_t>(index)].MountPoint);
  } catch (...) {
    // The folder list stayed where it was; so does the selector.
    setCurrentIndex(shown_);
    throw;
  }
}

// ---- the browser as a whole

TFolderBrowser::TFolderBrowser(TGlyphCollection& glyphs, TBrowserGuard guard, QObject* parent)
    : QObject(parent),
      RzDriveComboBox1(new TDriveComboBox()),
      RzDirectoryListBox1(new TDirectoryListBox()),
      filelist(new TFileListBox()),
      glyphs_(glyphs) {
  setObjectName("FolderBrowser");
  RzDriveComboBox1->SetGuard(guard);
  RzDirectoryListBox1->SetGuard(guard);
  RzDriveComboBox1->SetDirList(RzDirectoryListBox1);
  RzDirectoryListBox1->SetFileList(filelist);
  RzDirectoryListBox1->OnChange = [this] { RzDirectoryListBox1Change(); };
}

TFolderBrowser::~TFolderBrowser() {
  // Placed pieces belong to their window, which may already have deleted them.
  if (!placed_) {
    delete RzDriveComboBox1;
    delete RzDirectoryListBox1;
    delete filelist;
  }
}

void TFolderBrowser::PlaceInto(QWidget* topPanel, QWidget* folderListPlace, const std::function<int(int)>& design) {
  placed_ = true;
  RzDriveComboBox1->setParent(topPanel);
  RzDriveComboBox1->setGeometry(design(24), design(9), design(145), RzDriveComboBox1->sizeHint().height());
  RzDriveComboBox1->show();
  filelist->setParent(topPanel);
  filelist->hide();
  RzDirectoryListBox1->setParent(folderListPlace);
  auto* layout = new QVBoxLayout(folderListPlace);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(RzDirectoryListBox1);
  RzDirectoryListBox1->show();
}

void TFolderBrowser::Start(std::vector<drives::Volume> volumes) {
  RzDirectoryListBox1->ShowCurrentDirectory();
  RzDriveComboBox1->SetVolumes(std::move(volumes));
}

void TFolderBrowser::RzDirectoryListBox1Change() { LoadImages1Click(); }

void TFolderBrowser::LoadImages1Click() {
  try {
    LoadFolder(glyphs_, filelist->Directory(), filelist->Names());
  } catch (const Exception& e) {
    if (e.FileName().empty()) throw;
    throw EDetailedError(e, FormatMessage(texts::FolderLoadStopped, e.FileName()));
  }
}

void TFolderBrowser::Reload(const std::function<bool()>& canLoad) {
  filelist->Reread();
  if (filelist->Names().empty()) return;
  if (canLoad && !canLoad()) return;
  LoadImages1Click();
}

TFolderBrowser* BuildFolderBrowser(QObject& owner, QWidget* topPanel, QWidget* folderListPlace,
                                   const std::function<int(int)>& design, TGlyphCollection& glyphs,
                                   TBrowserGuard guard) {
  auto* browser = new TFolderBrowser(glyphs, std::move(guard), &owner);
  browser->PlaceInto(topPanel, folderListPlace, design);
  browser->Start(drives::MountedVolumes());
  return browser;
}

}  // namespace gliffo
