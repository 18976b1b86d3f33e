#include "views/EditFieldKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>

#include "QtText.h"
#include "template/EditKeystroke.h"
#include "template/FormControl.h"
#include "template/FormInteraction.h"
#include "views/FormPageView.h"

namespace loom {
namespace {

// One code page character per UTF-16 unit, so that the widget's positions hold in the
// converted text ('?' for what the code page lacks).
std::string unitsOf(const QString& text) {
    const bool plain =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
    if (plain) return fromQt(text);
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text)
        out += c.isSurrogate() ? std::string("?") : fromQt(QString(c));
    return out;
}

bool printable(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

}  // namespace

EditFieldKeys::EditFieldKeys(FormPageView& view, FormControl& control, FormInteraction& interaction,
                             EditFieldAccess& access)
    : view_(view), control_(control), interaction_(interaction), access_(access) {}

bool EditFieldKeys::multiline() const {
    return control_.multiline;
}

std::string EditFieldKeys::stored(const QString& shownText) const {
    const std::string units = unitsOf(shownText);
    return multiline() ? EditKeystroke::storedLines(units) : units;
}

QString EditFieldKeys::shown(const std::string& storedText) const {
    return toQt(multiline() ? EditKeystroke::shownLines(storedText) : storedText);
}

bool EditFieldKeys::hasSelection() const {
    return access_.selectionAnchor() != access_.selectionEnd();
}

bool EditFieldKeys::leaveToFrame(const QKeyEvent* event) const {
    const int key = event->key();
    return (key == Qt::Key_PageUp || key == Qt::Key_PageDown) &&
           !event->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier);
}

EditFieldKeys::Outcome EditFieldKeys::key(QKeyEvent* event) {
    if (leaveToFrame(event)) {
        event->ignore();  // the page commands belong to the frame
        return Outcome::Handled;
    }
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return Outcome::Handled;
    }
    if (event->matches(QKeySequence::Cut)) {
        cut();
        return Outcome::Handled;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return Outcome::Handled;
    }
    // Undo would bring back a text without checking it.
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return Outcome::Handled;
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
        view_.toggleInsertMode();
        return Outcome::Handled;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return Outcome::Erase;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!multiline()) return Outcome::Pass;
        type(QStringLiteral("\n"));
        return Outcome::Handled;
    }
    // Ctrl+Alt is AltGr on some keyboards: it types.
    const bool command = mods.testAnyFlags(Qt::ControlModifier | Qt::MetaModifier) &&
                         !mods.testFlag(Qt::AltModifier);
    if (!command && printable(event->text())) {
        type(event->text());
        return Outcome::Handled;
    }
    return Outcome::Pass;
}

void EditFieldKeys::erased(const QString& before) {
    const QString after = access_.shownText();
    if (after != before) interaction_.textErased(control_, stored(after));
}

bool EditFieldKeys::inputMethod(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) return false;
    type(event->commitString());
    return true;
}

void EditFieldKeys::type(const QString& chars) {
    for (QChar ch : chars) {
        bool lossy = false;
        const std::string typed = ch.isSurrogate() ? std::string() : fromQt(QString(ch), &lossy);
        if (lossy || typed.size() != 1) {
            view_.beep();  // a character the field cannot hold
            continue;
        }
        const QString before = access_.shownText();
        const EditResult r =
            EditKeystroke::typed(unitsOf(before), access_.selectionAnchor(), access_.selectionEnd(),
                                 typed, view_.insertMode());
        const std::string storedText = multiline() ? EditKeystroke::storedLines(r.text) : r.text;
        if (!interaction_.textTyped(control_, storedText)) continue;  // it has beeped
        showModel(toQt(r.text), r.caret);
    }
}

void EditFieldKeys::copy() const {
    if (control_.masked || !hasSelection()) return;
    const int from = std::min(access_.selectionAnchor(), access_.selectionEnd());
    const int to = std::max(access_.selectionAnchor(), access_.selectionEnd());
    QApplication::clipboard()->setText(access_.shownText().mid(from, to - from));
}

void EditFieldKeys::cut() {
    if (control_.masked || !hasSelection()) return;
    copy();
    replaceSelection({});
}

void EditFieldKeys::clear() {
    if (hasSelection()) replaceSelection({});
}

void EditFieldKeys::paste() {
    QString text = QApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!multiline()) {
        const qsizetype lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (lineEnd >= 0) text.truncate(lineEnd);
    }
    bool lossy = false;
    const std::string inserted = fromQt(text, &lossy);
    if (lossy || inserted.empty()) return;  // refused quietly, as a paste that fails its check
    replaceSelection(inserted);
}

void EditFieldKeys::replaceSelection(const std::string& inserted) {
    const EditResult r = EditKeystroke::replaced(
        unitsOf(access_.shownText()), access_.selectionAnchor(), access_.selectionEnd(), inserted);
    const std::string storedText = multiline() ? EditKeystroke::storedLines(r.text) : r.text;
    if (interaction_.textReplaced(control_, storedText)) showModel(toQt(r.text), r.caret);
}

void EditFieldKeys::showModelText() {
    access_.showText(shown(control_.text), 0);
}

void EditFieldKeys::showModel(const QString& expected, int caret) {
    const QString now = shown(control_.text);
    access_.showText(now, now == expected ? caret : static_cast<int>(now.size()));
}

void EditFieldKeys::contextMenu(QContextMenuEvent* event, QWidget* widget) {
    QMenu menu(widget);
    const bool selection = hasSelection();
    const bool editable = widget->isEnabled();
    QAction* cutAction = menu.addAction(QStringLiteral("Klipp ut"), [this] { cut(); });
    cutAction->setEnabled(editable && selection && !control_.masked);
    QAction* copyAction = menu.addAction(QStringLiteral("Kopiera"), [this] { copy(); });
    copyAction->setEnabled(selection && !control_.masked);
    QAction* pasteAction = menu.addAction(QStringLiteral("Klistra in"), [this] { paste(); });
    pasteAction->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
    QAction* clearAction = menu.addAction(QStringLiteral("Ta bort"), [this] { clear(); });
    clearAction->setEnabled(editable && selection);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Markera allt"), [this] { access_.selectAllText(); });
    menu.exec(event->globalPos());
}

}  // namespace loom
