#include "dialogs/UsersDialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "QtText.h"
#include "archive/UsersList.h"
#include "dialogs/DialogParts.h"
#include "dialogs/TabbedRows.h"

namespace loom {

UsersDialog::UsersDialog(UsersList& list, QWidget* parent) : QDialog(parent), users_(list) {
    setWindowTitle(QStringLiteral("Harvik Loomcraft - Användare"));
    auto* group = new QGroupBox(QStringLiteral("Användare"), this);
    auto* groupLayout = new QVBoxLayout(group);
    view_ = new QTreeWidget(group);
    view_->setAccessibleName(QStringLiteral("Användare"));
    view_->setHeaderLabels({QStringLiteral("Namn"), QStringLiteral("Lösen")});
    view_->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    groupLayout->addWidget(view_);

    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Namn:"), group);
    auto* passwordLabel = new QLabel(QStringLiteral("&Lösen:"), group);
    name_ = dialogparts::edit(nameLabel, group, false);
    // The users dialog shows passwords in clear, as its list does.
    password_ = dialogparts::edit(passwordLabel, group, false);
    form->addRow(nameLabel, name_);
    form->addRow(passwordLabel, password_);
    groupLayout->addLayout(form);

    auto* rowButtons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("Lä&gg till"), group);
    remove_ = new QPushButton(QStringLiteral("&Ta bort"), group);
    add_->setAccessibleName(QStringLiteral("Lägg till"));
    remove_->setAccessibleName(QStringLiteral("Ta bort"));
    rowButtons->addStretch();
    rowButtons->addWidget(add_);
    rowButtons->addWidget(remove_);
    groupLayout->addLayout(rowButtons);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    for (QAbstractButton* b : buttons->buttons())
        if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
            ok_ = qobject_cast<QPushButton*>(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);

    connect(view_, &QTreeWidget::itemSelectionChanged, this, &UsersDialog::rowSelected);
    connect(add_, &QPushButton::clicked, this, &UsersDialog::addRow);
    connect(remove_, &QPushButton::clicked, this, &UsersDialog::removeRow);
    connect(buttons, &QDialogButtonBox::accepted, this, &UsersDialog::tryAccept);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusMoved(now); });
    refill(-1);
    name_->setFocus();
}

void UsersDialog::refill(int current) {
    fillTabbedRows(view_, users_.rows());
    // Name and password each take half of the list, whatever their lengths.
    view_->header()->setSectionResizeMode(QHeaderView::Stretch);
    if (current >= 0 && current < view_->topLevelItemCount())
        view_->setCurrentItem(view_->topLevelItem(current));
    remove_->setEnabled(!view_->selectedItems().isEmpty());
}

void UsersDialog::rowSelected() {
    const QList<QTreeWidgetItem*> selected = view_->selectedItems();
    remove_->setEnabled(!selected.isEmpty());
    if (selected.isEmpty()) return;
    const auto row = static_cast<std::size_t>(view_->indexOfTopLevelItem(selected.front()));
    std::string name, password;
    UsersList::split(users_.rows().at(row), name, password);
    name_->setText(toQt(name));
    password_->setText(toQt(password));
}

void UsersDialog::addRow() {
    const int row = users_.add(fromQt(name_->text()), fromQt(password_->text()));
    if (row >= 0) refill(row);
}

void UsersDialog::removeRow() {
    const QList<QTreeWidgetItem*> selected = view_->selectedItems();
    if (selected.isEmpty()) return;
    users_.remove(static_cast<std::size_t>(view_->indexOfTopLevelItem(selected.front())));
    refill(-1);
    view_->setFocus();
}

void UsersDialog::tryAccept() {
    if (users_.commit()) accept();
}

void UsersDialog::focusMoved(QWidget* now) {
    if (ok_ == nullptr || now == nullptr || now->window() != this) return;
    const bool inEdit = now == name_ || now == password_;
    add_->setDefault(inEdit);
    ok_->setDefault(!inEdit);
}

}  // namespace loom
