#include "dialogs/LoginDialog.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"

namespace loom {

LoginDialog::LoginDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), controller_(context) {
    setWindowTitle(QStringLiteral("Inloggning"));
    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Namn:"), this);
    auto* passwordLabel = new QLabel(QStringLiteral("&Lösen:"), this);
    name_ = dialogparts::edit(nameLabel, this, false);
    password_ = dialogparts::edit(passwordLabel, this, true);
    name_->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    form->addRow(nameLabel, name_);
    form->addRow(passwordLabel, password_);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    users_ = buttons->addButton(QStringLiteral("&Användare..."), QDialogButtonBox::ActionRole);
    users_->setAccessibleName(QStringLiteral("Användare"));
    users_->setAutoDefault(false);
    for (QAbstractButton* b : buttons->buttons()) {
        auto* button = qobject_cast<QPushButton*>(b);
        if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) ok_ = button;
        if (buttons->buttonRole(b) == QDialogButtonBox::RejectRole) cancel_ = button;
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::tryAccept);
    connect(users_, &QPushButton::clicked, this, [this] { controller_.users(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    name_->setFocus();
}

bool LoginDialog::prepare() {
    return controller_.open();
}

bool LoginDialog::login(AppContext& context, QWidget* parent) {
    LoginDialog dialog(context, parent);
    return dialog.prepare() && dialog.exec() == QDialog::Accepted;
}

void LoginDialog::tryAccept() {
    // A failed login has said so (message 43); the texts stay for another try.
    if (controller_.ok(fromQt(name_->text()), fromQt(password_->text()))) {
        accept();
        return;
    }
    password_->setFocus();
    password_->selectAll();
}

}  // namespace loom
