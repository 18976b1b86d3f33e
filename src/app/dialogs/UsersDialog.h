#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace loom {

class UsersList;

// Dialog 171, the users allowed to log in: the list (name and password in clear, in the
// list's case-insensitive order), "Namn", "Lösen", "Lägg till", "Ta bort". OK writes the
// list through archive/UsersList and stays when it refuses.
class UsersDialog : public QDialog {
    Q_OBJECT
  public:
    // `list` must be open (UsersList::open succeeded).
    UsersDialog(UsersList& list, QWidget* parent = nullptr);

    QTreeWidget* list() const { return view_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* passwordEdit() const { return password_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }

  private:
    void refill(int current);
    void rowSelected();
    void addRow();
    void removeRow();
    void tryAccept();
    // Enter in an edit adds what was typed; elsewhere it presses OK.
    void focusMoved(QWidget* now);

    UsersList& users_;
    QTreeWidget* view_;
    QLineEdit* name_;
    QLineEdit* password_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* ok_ = nullptr;
};

}  // namespace loom
