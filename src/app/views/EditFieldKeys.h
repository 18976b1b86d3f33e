#pragma once

#include <QString>

#include <string>

class QContextMenuEvent;
class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace loom {

struct FormControl;
class FormInteraction;
class FormPageView;

// What an edit field's widget gives the keyboard handling: its shown text, selection and
// caret, and a way to show a new text.
class EditFieldAccess {
  public:
    virtual ~EditFieldAccess() = default;
    virtual QString shownText() const = 0;
    // Selection ends (equal when nothing is selected: the caret).
    virtual int selectionAnchor() const = 0;
    virtual int selectionEnd() const = 0;
    virtual void showText(const QString& text, int caret) = 0;
    virtual void selectAllText() = 0;
};

// The typing of an edit field, shared by the one-line and the several-line widget. Every
// change of the text is worked out first and offered to the form's interaction, which
// checks and stores it; the widget changes only when it was accepted. Backspace and
// Delete are left to the widget and reported afterwards.
class EditFieldKeys {
  public:
    enum class Outcome { Handled, Erase, Pass };

    EditFieldKeys(FormPageView& view, FormControl& control, FormInteraction& interaction,
                  EditFieldAccess& access);

    // Handled: consumed (or ignored so that it reaches the frame); Erase: let the widget
    // erase, then call erased(); Pass: the widget's own handling (movement, selection),
    // followed by erased() too, for keys of the platform that delete.
    Outcome key(QKeyEvent* event);
    // Keys the frame's shortcuts must get although the widget would like them.
    bool leaveToFrame(const QKeyEvent* event) const;
    void erased(const QString& before);
    // An input method's committed text is typed; true when there was one.
    bool inputMethod(QInputMethodEvent* event);
    void contextMenu(QContextMenuEvent* event, QWidget* widget);

    // A value from the model's side (a rule, a correction): shown with the caret first.
    void showModelText();

    void type(const QString& chars);
    void cut();
    void copy() const;
    void paste();
    void clear();

    bool multiline() const;
    // The stored text (code page 1252, CR LF lines) and the text as the widget shows it.
    std::string stored(const QString& shown) const;
    QString shown(const std::string& stored) const;

  private:
    // Offers a cut, paste or clear; the widget keeps its text when it is refused.
    void replaceSelection(const std::string& inserted);
    // After an accepted change: the widget shows the model's text, with the caret where
    // the change put it unless a rule changed the text meanwhile.
    void showModel(const QString& expected, int caret);
    bool hasSelection() const;

    FormPageView& view_;
    FormControl& control_;
    FormInteraction& interaction_;
    EditFieldAccess& access_;
};

}  // namespace loom
