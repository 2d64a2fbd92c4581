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
  std::string Kind;  // "message", "error", "confirm", "ask" (with Cancel), "open", "save", "font", "input"
  std::string Text;  // message or prompt
  std::string Detail;  // an error box's second line
  TOpenFileRequest Open;
  TSaveFileRequest Save;
};

class TScriptedDialogs : public IDialogService {
 public:
  // Answers, taken in order; when a queue runs dry the dialog is cancelled (No for confirmations,
  // Cancel for questions that offer it). Both kinds of question take from ConfirmAnswers.
  std::deque<TDialogAnswer> ConfirmAnswers;
  std::deque<std::optional<std::vector<std::string>>> OpenAnswers;
  std::deque<std::optional<std::string>> SaveAnswers;
  std::deque<std::optional<TFontChoice>> FontAnswers;
  std::deque<std::optional<TColourWithAlpha>> ColourAnswers;
  // The filter entry every save answer counts as chosen under (0: the one offered).
  int SaveFilterAnswer = 0;
  int SavedFilterIndex() const override { return SaveFilterAnswer; }
  std::deque<std::optional<std::string>> InputAnswers;
  // What the font dialog started from and the input box offered, last time each was shown.
  TFontChoice LastInitialFont;
  TColourWithAlpha LastInitialColour;
  std::string LastInputCaption, LastInputDefault;
  std::vector<TDialogCall> Calls;

  void ShowMessage(const std::string& text) override { Record("message", text); }
  void ShowError(const std::string& text) override { Record("error", text); }
  void ShowErrorDetail(const std::string& text, const std::string& detail) override {
    Record("error", text).Detail = detail;
  }
  TDialogAnswer Confirm(const std::string& text) override {
    Record("confirm", text);
    return Take(ConfirmAnswers, TDialogAnswer::No);
  }
  TDialogAnswer ConfirmWithCancel(const std::string& text) override {
    Record("ask", text);
    return Take(ConfirmAnswers, TDialogAnswer::Cancel);
  }
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest& request) override {
    Record("open", "").Open = request;
    if (OpenAnswers.empty()) return std::nullopt;
    std::optional<std::vector<std::string>> answer = OpenAnswers.front();
    OpenAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> SaveFile(const TSaveFileRequest& request) override {
    Record("save", "").Save = request;
    return Take(SaveAnswers, std::optional<std::string>());
  }
  std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) override {
    Record("font", "");
    LastInitialFont = initial;
    return Take(FontAnswers, std::optional<TFontChoice>());
  }
  std::optional<TColourWithAlpha> ChooseColour(const TColourWithAlpha& initial) override {
    Record("colour", "");
    LastInitialColour = initial;
    return Take(ColourAnswers, std::optional<TColourWithAlpha>());
  }
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& defaultValue) override {
    Record("input", prompt);
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
  // Each call is made in place in the log. Aggregate temporaries with empty requests moved in
  // make GCC 12 at -O3 report the requests' strings as maybe uninitialized.
  TDialogCall& Record(const char* kind, const std::string& text) {
    TDialogCall& call = Calls.emplace_back();
    call.Kind = kind;
    call.Text = text;
    return call;
  }

  template <class T>
  static T Take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace gliffo::testing
