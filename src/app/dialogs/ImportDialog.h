#pragma once

#include <QDialog>

#include "archive/CopyRun.h"
#include "archive/Importer.h"

class QCheckBox;

namespace loom {

class AppContext;
class FolderField;

// Dialog 176 "Importera": the folder to import from and "Byt ut gammal kundinformation".
// The system password in force when the dialog opens is the one imported files get. OK
// runs the core's Importer under a wait cursor and closes when the copy ran; otherwise it
// stays open with its input.
class ImportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ImportDialog(AppContext& context, QWidget* parent = nullptr);

    const CopyRunResult& result() const { return result_; }
    FolderField* folderField() const { return folder_; }
    QCheckBox* replaceBox() const { return replace_; }

  private:
    void runImport();

    Importer importer_;
    CopyRunResult result_;
    FolderField* folder_;
    QCheckBox* replace_;
};

}  // namespace loom
