#pragma once
// A collection window of its own for each test: a fresh folder standing in for the program's
// folder (settings file and help file go there), the real application object around scripted
// dialogs, and small strips written as BMP files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "collection/gliffo_form.h"
#include "editor/qt/gliff_edit_form.h"
#include "glyphs/bitmap.h"
#include "tests/scripted_dialogs.h"

namespace gliffo::testing {

namespace fs = std::filesystem;

// The colour of glyph k in the test strips: one solid colour per glyph, 0x00RRGGBB.
inline std::uint32_t GlyphColor(int k) {
  return (static_cast<std::uint32_t>(40 * k % 256) << 16) | (static_cast<std::uint32_t>(255 - 30 * k % 256) << 8) |
         static_cast<std::uint32_t>(17 * k % 256);
}

// Writes a strip of `count` solid glyphs of `size` pixels (plus `extraColumns` columns).
inline void WriteStrip(const std::string& fileName, int size, int count, int extraColumns = 0) {
  TBitmap strip;
  strip.SetWidth(size * count + extraColumns);
  strip.SetHeight(size);
  raster::Surface surface = strip.WritableSurface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < strip.Width(); ++x) raster::WriteValue(surface, x, y, GlyphColor(x / size));
  strip.SaveToFile(fileName);
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("gliffo_gui_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    exe_ = (dir_ / "gliffo").string();
  }
  void TearDown() override {
    Stop();
    app_.reset();
    fs::remove_all(dir_);
  }

  // The application and its window, created in the program's order.
  void Start() {
    auto dialogs = std::make_unique<TScriptedDialogs>();
    dialogs_ = dialogs.get();
    app_ = std::make_unique<TApplication>(std::move(dialogs), exe_);
    window_ = std::make_unique<TGliffoF>(*app_);
  }
  // The same, and the editor window after it, attached, as the program starts them.
  void StartWithEditor() {
    Start();
    editor_ = std::make_unique<TGliffEditF>(*app_, *window_);
    window_->AttachEditor(editor_.get());
  }
  // Destroys the windows, as the program does at exit: the editor first.
  void Stop() {
    if (editor_ && window_) {
      window_->AttachEditor(nullptr);
    }
    editor_.reset();
    window_.reset();
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string IniPath() const { return exe_ + ".ini"; }
  TGlyphCollection& Glyphs() { return window_->Collection(); }

  fs::path dir_;
  std::string exe_;
  TScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<TApplication> app_;
  std::unique_ptr<TGliffoF> window_;
  std::unique_ptr<TGliffEditF> editor_;
};

}  // namespace gliffo::testing
