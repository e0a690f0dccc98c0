// Prompts answered by the user: message boxes, the common file dialogs and a line-input box.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/prompts.h"

namespace skarvel {

class QtPrompts : public Prompts {
  public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }
    // The caption of messages and questions that name none.
    void set_default_caption(std::string_view cp1251) { default_caption_ = cp1251; }

    bool ask_yes_no(std::string_view question) override;
    void message(std::string_view text) override;
    std::optional<std::string> choose_open_file(std::string_view filter) override;
    std::optional<std::string> choose_save_file(std::string_view filter,
                                                std::string_view suggested) override;
    std::optional<std::string> ask_text(std::string_view prompt, std::string_view initial) override;
    std::optional<std::string> ask_text_captioned(std::string_view prompt, std::string_view initial,
                                                  std::string_view caption) override;
    bool ask_yes_no_captioned(std::string_view question, std::string_view caption) override;
    void message_captioned(std::string_view text, std::string_view caption) override;
    void stop_message(std::string_view text, std::string_view caption) override;
    std::optional<std::string> choose_save_file_titled(std::string_view filter,
                                                       std::string_view suggested,
                                                       std::string_view title) override;
    std::optional<std::string> choose_open_file_named(std::string_view filter,
                                                      std::string_view suggested,
                                                      std::string_view extension,
                                                      std::string_view title = {}) override;

  private:
    QPointer<QWidget> parent_;
    std::string default_caption_ = "Skarvel";
};

}  // namespace skarvel
