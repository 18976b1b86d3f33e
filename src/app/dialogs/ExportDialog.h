#pragma once

#include <QDialog>

#include "archive/CopyRun.h"
#include "archive/ExportRequest.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace loom {

class AppContext;
class FolderField;
class OpenDocument;

// Dialog 173 "Exportera": which files ("Alla", "Ändrade efter", "Aktuell", "Filer i
// listan") and to which folder. It opens as ExportRequest::opening says; OK runs the
// core's Exporter under a wait cursor and closes when the copy ran, otherwise it stays
// open with its input (the core has said why).
class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    // `document` is the open system (null when none).
    ExportDialog(AppContext& context, OpenDocument* document, QWidget* parent = nullptr);

    // What the last OK's run did (`ran` false before one ran).
    const CopyRunResult& result() const { return result_; }

    QRadioButton* allButton() const { return all_; }
    QRadioButton* changedAfterButton() const { return changedAfter_; }
    QRadioButton* currentButton() const { return current_; }
    QRadioButton* filesInListButton() const { return filesInList_; }
    QLineEdit* dateEdit() const { return date_; }
    QComboBox* listCombo() const { return lists_; }
    FolderField* folderField() const { return folder_; }

  private:
    void runExport();
    ExportRequest request() const;

    AppContext& context_;
    OpenDocument* document_;
    ExportRequest opening_;
    CopyRunResult result_;
    QRadioButton* all_;
    QRadioButton* changedAfter_;
    QRadioButton* current_;
    QRadioButton* filesInList_;
    QLineEdit* date_;
    QComboBox* lists_;
    FolderField* folder_;
};

}  // namespace loom
