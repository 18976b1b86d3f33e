#pragma once

#include <QWidget>
#include <filesystem>

class QLineEdit;
class QPushButton;

namespace loom {

// The folder edit of the export and import dialogs with its "Bläddra..." button, which
// chooses a folder with the platform's folder chooser. The folder goes to the core as the
// file system names it.
class FolderField : public QWidget {
    Q_OBJECT
  public:
    // `accessibleName` names the edit for the screen reader (its group's title).
    FolderField(const QString& accessibleName, QWidget* parent);

    std::filesystem::path folder() const;
    QLineEdit* edit() const { return edit_; }
    QPushButton* browseButton() const { return browse_; }

  private:
    void browse();

    QLineEdit* edit_;
    QPushButton* browse_;
};

}  // namespace loom
