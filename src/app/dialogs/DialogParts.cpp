#include "dialogs/DialogParts.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

namespace loom::dialogparts {

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Avbryt"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    ok->setAccessibleName(QStringLiteral("OK"));
    cancel->setAccessibleName(QStringLiteral("Avbryt"));
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QLineEdit* edit(QLabel* label, QWidget* parent, bool password) {
    auto* line = new QLineEdit(parent);
    if (password) line->setEchoMode(QLineEdit::Password);
    line->setAccessibleName(plainCaption(label->text()));
    label->setBuddy(line);
    return line;
}

QLabel* wrappedText(const QString& text, QWidget* parent, int averageCharacters) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * averageCharacters);
    label->setAccessibleName(text);
    return label;
}

QString plainCaption(const QString& caption) {
    QString plain = caption;
    plain.remove(QLatin1Char('&'));
    if (plain.endsWith(QLatin1Char(':'))) plain.chop(1);
    return plain;
}

QPushButton* button(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAccessibleName(plainCaption(caption));
    b->setAutoDefault(false);
    return b;
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace loom::dialogparts
