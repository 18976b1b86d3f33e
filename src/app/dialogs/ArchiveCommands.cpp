#include "dialogs/ArchiveCommands.h"

#include "archive/OpenDocument.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/SearchWindow.h"
#include "document/PromDocument.h"

namespace loom {
namespace {

// "Aktuell" exports the open system's file, saved first when the user wants.
class OpenSystem final : public OpenDocument {
  public:
    explicit OpenSystem(PromDocument& document) : document_(document) {}
    std::filesystem::path path() const override { return document_.path(); }
    bool modified() const override { return document_.modified(); }
    bool save() override { return document_.Save(); }

  private:
    PromDocument& document_;
};

bool refreshed(bool ran, SearchWindow* search) {
    if (ran && search != nullptr) search->refreshResults();
    return ran;
}

}  // namespace

bool runExport(AppContext& context, PromDocument& document, QWidget* parent, SearchWindow* search) {
    OpenSystem open(document);
    ExportDialog dialog(context, &open, parent);
    dialog.exec();
    return refreshed(dialog.result().ran, search);
}

bool runImport(AppContext& context, QWidget* parent, SearchWindow* search) {
    ImportDialog dialog(context, parent);
    dialog.exec();
    return refreshed(dialog.result().ran, search);
}

}  // namespace loom
