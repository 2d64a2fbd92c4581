#include "collection/options_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "collection/folder_browser.h"
#include "collection/strings.h"
#include "formats/image_formats.h"
#include "platform/profile/profile.h"

namespace gliffo {

namespace {

bool ReadChoice(const profile::TSettingsLocation& settings, const char* key, bool fallback) {
  const std::string value = profile::GetPrivateProfileString(OptionsSection, key, fallback ? "1" : "0", settings.ReadPath);
  return value != "0";
}

void WriteChoice(const profile::TSettingsLocation& settings, const char* key, bool on) {
  // A settings file that cannot be written costs the choice its memory, nothing more.
  profile::MakeParentFolders(settings.WritePath);
  profile::WritePrivateProfileString(OptionsSection, key, std::string(on ? "1" : "0"), settings.WritePath);
}

QAction* AddChoice(QMenu* menu, const char* caption, const char* objectName, bool checked) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  action->setObjectName(QString::fromLatin1(objectName));
  action->setCheckable(true);
  action->setChecked(checked);
  return action;
}

}  // namespace

QMenu* BuildOptionsMenu(QMenuBar& bar, QMenu* before, TFileListBox* fileList, TImageOptions& options,
                        const profile::TSettingsLocation& settings,
                        const std::function<void(const std::function<void()>&)>& guard) {
  auto* menu = new QMenu(QString::fromUtf8(texts::MenuOptions), &bar);
  menu->setObjectName(QStringLiteral("Options1"));
  if (before) bar.insertMenu(before->menuAction(), menu);
  else bar.addMenu(menu);

  const bool includePng = ReadChoice(settings, IncludePngFilesKey, false);
  const bool transparentKey = ReadChoice(settings, TransparentKeyKey, true);
  QAction* png = AddChoice(menu, texts::MenuIncludePngFiles, "IncludePngFiles1", includePng);
  QAction* key = AddChoice(menu, texts::MenuTransparentKey, "TransparentKeyColour1", transparentKey);

  const auto applyPng = [fileList, guard](bool on) {
    if (fileList) guard([=] { fileList->SetMask(FolderMask(on)); });
  };
  const auto applyKey = [&options](bool on) { options.Encode.Opaque = !on; };
  applyPng(includePng);
  applyKey(transparentKey);
  QObject::connect(png, &QAction::toggled, menu, [=](bool on) {
    WriteChoice(settings, IncludePngFilesKey, on);
    applyPng(on);
  });
  QObject::connect(key, &QAction::toggled, menu, [=](bool on) {
    WriteChoice(settings, TransparentKeyKey, on);
    applyKey(on);
  });
  return menu;
}

}  // namespace gliffo
