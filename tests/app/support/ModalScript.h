#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <vector>

namespace loom::test {

// Answers the modal dialogs a command opens, in order; a modal dialog the script does not
// expect is closed, so that no test waits on it.
class ModalScript {
  public:
    template <class Dialog>
    void then(std::function<void(Dialog*)> step) {
        steps_.push_back([step](QWidget* modal) {
            auto* dialog = qobject_cast<Dialog*>(modal);
            if (dialog == nullptr) return false;
            step(dialog);
            return true;
        });
    }
    // Runs `command` while the script answers.
    void run(const std::function<void()>& command);

    std::size_t done = 0;
    int closed = 0;

  private:
    std::vector<std::function<bool(QWidget*)>> steps_;
};

}  // namespace loom::test
