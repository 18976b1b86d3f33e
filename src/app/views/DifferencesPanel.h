#pragma once

#include <QDockWidget>
#include <vector>

#include "document/PromDocument.h"

class QTableWidget;

namespace loom {

// "Skillnader": the fields whose values in the file and in the PROM differ, one row each
// with its page, its caption and both values. It shows itself when differences come
// where there were none and hides when they are gone; the user may close it and open it
// again from the menu. Activating a row (double-click or Enter) asks for its field.
class DifferencesPanel final : public QDockWidget {
    Q_OBJECT

  public:
    explicit DifferencesPanel(QWidget* parent = nullptr);

    void setRows(const std::vector<DifferenceRow>& rows);
    const std::vector<DifferenceRow>& rows() const { return rows_; }
    QTableWidget* table() const { return table_; }

  signals:
    // The row's field: show its page and give it the focus.
    void fieldChosen(int page, loom::FieldAddress address);

  private:
    void fitWidth();

    QTableWidget* table_;
    std::vector<DifferenceRow> rows_;
};

}  // namespace loom
