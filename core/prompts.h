// Questions and messages that logic needs to put to the user. The desktop program answers
// them with message boxes and file dialogs; tests and the command-line tool script them.
// Texts are Windows-1251; file paths are in the platform's own encoding (UTF-8 here).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/language.h"

namespace skarvel {

class Prompts {
  public:
    virtual ~Prompts() = default;
    // The interface language of the messages and questions: logic names its texts with
    // `text(Txt::kName)` and tells them through this object. Russian until the program sets
    // its language table (which must outlive the prompts).
    void set_language(const LanguageTable* lang) { lang_ = lang; }
    const LanguageTable& lang() const { return lang_ ? *lang_ : russian_language_table(); }
    std::string_view text(Txt id) const { return lang().text(id); }

    virtual bool ask_yes_no(std::string_view question) = 0;
    virtual void message(std::string_view text) = 0;
    // A file to read or write; nullopt when the user cancels. `filter` uses the
    // "description|*.ext||" form.
    virtual std::optional<std::string> choose_open_file(std::string_view filter) = 0;
    virtual std::optional<std::string> choose_save_file(std::string_view filter,
                                                        std::string_view suggested) = 0;
    // One line of text; nullopt when the user cancels.
    virtual std::optional<std::string> ask_text(std::string_view prompt,
                                                std::string_view initial) = 0;
    // The same with a window caption ("ВНИМАНИЕ", "ОШИБКА", ...); an implementation that has
    // no captions falls back to the plain forms.
    virtual bool ask_yes_no_captioned(std::string_view question, std::string_view caption) {
        (void)caption;
        return ask_yes_no(question);
    }
    virtual void message_captioned(std::string_view text, std::string_view caption) {
        (void)caption;
        message(text);
    }
    // One line of text in a window with this caption.
    virtual std::optional<std::string> ask_text_captioned(std::string_view prompt,
                                                          std::string_view initial,
                                                          std::string_view caption) {
        (void)caption;
        return ask_text(prompt, initial);
    }
    // The "Поиск" dialog of the list's search, which other commands reuse to ask for a number
    // or a code (its question is asked before it).
    std::optional<std::string> ask_find_text(std::string_view initial) {
        return ask_text_captioned(text(Txt::kFindPrompt), initial, text(Txt::kFindTitle));
    }
    // A refusal, shown with the stop icon.
    virtual void stop_message(std::string_view text, std::string_view caption) {
        message_captioned(text, caption);
    }
    // The file choosers with the dialog's title (Windows-1251), and for opening a proposed
    // name and the extension added to a name typed without one (both file-name text).
    virtual std::optional<std::string> choose_save_file_titled(std::string_view filter,
                                                               std::string_view suggested,
                                                               std::string_view title) {
        (void)title;
        return choose_save_file(filter, suggested);
    }
    // True when a chosen file is written under exactly the name given (a command line's OUT):
    // no default extension is added to a name without one, as a save dialog does.
    virtual bool takes_names_as_given() const { return false; }
    virtual std::optional<std::string> choose_open_file_named(std::string_view filter,
                                                              std::string_view suggested,
                                                              std::string_view extension,
                                                              std::string_view title = {}) {
        (void)suggested;
        (void)extension;
        (void)title;
        return choose_open_file(filter);
    }

  private:
    const LanguageTable* lang_ = nullptr;
};

// Answers from a script and records everything asked and told; for tests and headless runs.
class ScriptedPrompts : public Prompts {
  public:
    std::deque<bool> yes_no_answers;  // used in order; when empty, `default_answer`
    bool default_answer = false;
    std::deque<std::optional<std::string>> files;  // answers for both file choosers
    // With no scripted file left, a file to save is the one proposed (else cancelled).
    bool accept_suggested_file = false;
    std::vector<std::string> suggested_files;  // every name proposed for saving
    std::deque<std::optional<std::string>> texts;
    std::vector<std::string> text_initials;  // the text each one-line input was preset to
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::string> captions;  // caption of each captioned question or message
    std::vector<std::string> stops;     // the texts shown as stop messages (also in messages)
    // What each file chooser was given (empty where a chooser gives nothing).
    struct FileDialog {
        std::string title;      // Windows-1251
        std::string suggested;  // the proposed name
        std::string extension;  // added to a name typed without one
    };
    std::vector<FileDialog> file_dialogs;

    bool ask_yes_no(std::string_view q) override {
        questions.emplace_back(q);
        if (yes_no_answers.empty()) return default_answer;
        bool a = yes_no_answers.front();
        yes_no_answers.pop_front();
        return a;
    }
    void message(std::string_view text) override { messages.emplace_back(text); }
    bool ask_yes_no_captioned(std::string_view q, std::string_view caption) override {
        captions.emplace_back(caption);
        return ask_yes_no(q);
    }
    void message_captioned(std::string_view text, std::string_view caption) override {
        captions.emplace_back(caption);
        message(text);
    }
    void stop_message(std::string_view text, std::string_view caption) override {
        stops.emplace_back(text);
        message_captioned(text, caption);
    }
    std::optional<std::string> choose_open_file(std::string_view) override {
        file_dialogs.push_back({});
        return next(files);
    }
    std::optional<std::string> choose_save_file(std::string_view, std::string_view s) override {
        file_dialogs.push_back({{}, std::string(s), {}});
        suggested_files.emplace_back(s);
        if (files.empty() && accept_suggested_file) return std::string(s);
        return next(files);
    }
    std::optional<std::string> choose_save_file_titled(std::string_view, std::string_view s,
                                                       std::string_view title) override {
        file_dialogs.push_back({std::string(title), std::string(s), {}});
        return next(files);
    }
    std::optional<std::string> choose_open_file_named(std::string_view, std::string_view s,
                                                      std::string_view extension,
                                                      std::string_view title = {}) override {
        file_dialogs.push_back({std::string(title), std::string(s), std::string(extension)});
        return next(files);
    }
    std::optional<std::string> ask_text(std::string_view prompt,
                                        std::string_view initial) override {
        questions.emplace_back(prompt);
        text_initials.emplace_back(initial);
        return next(texts);
    }
    std::optional<std::string> ask_text_captioned(std::string_view prompt, std::string_view initial,
                                                  std::string_view caption) override {
        captions.emplace_back(caption);
        return ask_text(prompt, initial);
    }

  private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

}  // namespace skarvel
