#include "QtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <iostream>

#include "QtText.h"
#include "common/Cp1252.h"

namespace loom {
namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Stop:
            return QMessageBox::Critical;
        case MessageKind::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonText {
    Answer answer;
    QMessageBox::ButtonRole role;
    const char* text;
};

std::vector<ButtonText> buttonsOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return {{Answer::Ok, QMessageBox::AcceptRole, "OK"}};
        case Buttons::OkCancel:
            return {{Answer::Ok, QMessageBox::AcceptRole, "OK"},
                    {Answer::Cancel, QMessageBox::RejectRole, "Avbryt"}};
        case Buttons::YesNo:
            return {{Answer::Yes, QMessageBox::YesRole, "Ja"},
                    {Answer::No, QMessageBox::NoRole, "Nej"}};
        case Buttons::YesNoCancel:
            return {{Answer::Yes, QMessageBox::YesRole, "Ja"},
                    {Answer::No, QMessageBox::NoRole, "Nej"},
                    {Answer::Cancel, QMessageBox::RejectRole, "Avbryt"}};
        case Buttons::RetryCancel:
            return {{Answer::Retry, QMessageBox::AcceptRole, "Försök igen"},
                    {Answer::Cancel, QMessageBox::RejectRole, "Avbryt"}};
    }
    return {};
}

}  // namespace

void QtPrompt::show(std::string_view text, MessageKind kind) {
    showWith(text, kind, {});
}

Answer QtPrompt::ask(std::string_view text, Buttons buttons, MessageKind kind) {
    return askWith(text, buttons, kind, {});
}

void QtPrompt::showWith(std::string_view text, MessageKind kind, const PromptOptions& options) {
    if (standIn_ != nullptr) return standIn_->showWith(text, kind, options);
    askWith(text, Buttons::Ok, kind, options);
}

Answer QtPrompt::askWith(std::string_view text, Buttons buttons, MessageKind kind,
                         const PromptOptions& options) {
    if (standIn_ != nullptr) return standIn_->askWith(text, buttons, kind, options);
    if (unattended_) {
        std::cerr << cp1252ToUtf8(text) << '\n';
        return SilentPrompt().ask(text, buttons, kind);
    }
    const QString title = options.title.empty() ? QStringLiteral("Loomcraft") : toQt(options.title);
    // Over the dialog that asked, when one is open.
    QWidget* over = QApplication::activeModalWidget();
    QMessageBox box(iconOf(kind), title, toQt(text), QMessageBox::NoButton,
                    over != nullptr ? over : parent_.data());
    std::vector<std::pair<QPushButton*, Answer>> made;
    const std::vector<ButtonText> wanted = buttonsOf(buttons);
    for (const ButtonText& b : wanted)
        made.emplace_back(box.addButton(QString::fromUtf8(b.text), b.role), b.answer);
    QPushButton* defaultButton = made.front().first;
    for (const auto& [button, answer] : made)
        if (options.defaultAnswer == answer) defaultButton = button;
    box.setDefaultButton(defaultButton);
    // Escape and the close box give the last button's answer: Cancel, or No without one.
    box.setEscapeButton(made.back().first);
    // A box that comes up under a wait cursor (a connect) still takes the mouse.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QApplication::restoreOverrideCursor();
    for (const auto& [button, answer] : made)
        if (box.clickedButton() == button) return answer;
    return made.back().second;
}

void QtPrompt::beep() {
    if (standIn_ != nullptr) return standIn_->beep();
    QApplication::beep();
}

}  // namespace loom
