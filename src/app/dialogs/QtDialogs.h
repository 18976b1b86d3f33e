#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Dialogs.h"

namespace loom {

class AppContext;

// The program's dialogs for the core: each opens modally over the parent (or the active
// window while there is none yet, as during the login), checks its input with the core's
// checks and reports through the context's prompt.
class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(AppContext& context) : context_(context) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

    std::optional<std::string> changePassword(const PasswordChangeRequest& request) override;
    bool promptPassword(std::string_view expected) override;
    std::optional<std::array<std::string, 3>> temporaryPasswords() override;
    std::optional<std::string> computerId(std::string_view shown) override;
    bool users() override;
    std::optional<std::size_t> chooseSystem(const std::vector<std::string>& rows) override;

  private:
    QWidget* parent() const;

    AppContext& context_;
    QPointer<QWidget> parent_;
};

}  // namespace loom
