#pragma once
// A dialog service that answers from a script and records every question, so window tests can
// check what the user would have been shown.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "glyphs/dialogs.h"

namespace gliffo::testing {

struct TDialogCall {
  std::string Kind;  // "message", "error", "confirm", "open", "save", "font", "input"
  std::string Text;  // message or prompt
  TOpenFileRequest Open;
  TSaveFileRequest Save;
};

class TScriptedDialogs : public IDialogService {
 public:
  // Answers, taken in order; when a queue runs dry the dialog is cancelled (No for confirmations).
  std::deque<TDialogAnswer> ConfirmAnswers;
  std::deque<std::optional<std::vector<std::string>>> OpenAnswers;
  std::deque<std::optional<std::string>> SaveAnswers;
  std::deque<std::optional<TFontChoice>> FontAnswers;
  std::deque<std::optional<std::string>> InputAnswers;
  // What the font dialog started from and the input box offered, last time each was shown.
  TFontChoice LastInitialFont;
  std::string LastInputCaption, LastInputDefault;
  std::vector<TDialogCall> Calls;

  void ShowMessage(const std::string& text) override { Calls.push_back({"message", text, {}, {}}); }
  void ShowError(const std::string& text) override { Calls.push_back({"error", text, {}, {}}); }
  TDialogAnswer Confirm(const std::string& text) override {
    Calls.push_back({"confirm", text, {}, {}});
    return Take(ConfirmAnswers, TDialogAnswer::No);
  }
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest& request) override {
    Calls.push_back({"open", "", request, {}});
    if (OpenAnswers.empty()) return std::nullopt;
    std::optional<std::vector<std::string>> answer = OpenAnswers.front();
    OpenAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> SaveFile(const TSaveFileRequest& request) override {
    Calls.push_back({"save", "", {}, request});
    return Take(SaveAnswers, std::optional<std::string>());
  }
  std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) override {
    Calls.push_back({"font", "", {}, {}});
    LastInitialFont = initial;
    return Take(FontAnswers, std::optional<TFontChoice>());
  }
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& defaultValue) override {
    Calls.push_back({"input", prompt, {}, {}});
    LastInputCaption = caption;
    LastInputDefault = defaultValue;
    return Take(InputAnswers, std::optional<std::string>());
  }

  // "kind:text" of every call, for compact expectations.
  std::vector<std::string> Log() const {
    std::vector<std::string> log;
    for (const TDialogCall& call : Calls) log.push_back(call.Text.empty() ? call.Kind : call.Kind + ":" + call.Text);
    return log;
  }

 private:
  template <class T>
  static T Take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace gliffo::testing
