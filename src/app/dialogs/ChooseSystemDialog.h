#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QTreeWidget;

namespace loom {

// Dialog 150 "Välj system": the templates found, one row each (template name and title),
// the first one selected. OK or a double click chooses the selected row.
class ChooseSystemDialog : public QDialog {
    Q_OBJECT
  public:
    ChooseSystemDialog(const std::vector<std::string>& rows, QWidget* parent = nullptr);

    // The selected row, if any.
    std::optional<std::size_t> selectedRow() const;
    QTreeWidget* list() const { return list_; }

  private:
    QTreeWidget* list_;
};

}  // namespace loom
