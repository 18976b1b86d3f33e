#pragma once

#include <QDialog>

#include "link/PortChoices.h"

class QListWidget;

namespace loom {

// Dialog 132 "Port": the local port, the modem's port and the product, each in a list
// of its own. The lists and their first selections come from the core's PortChoices.
class PortDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PortDialog(PortChoices choices, QWidget* parent = nullptr);

    // The choices with the lists' selections (-1 where a list has none).
    PortChoices choices() const;

    QListWidget* localList() const { return local_; }
    QListWidget* remoteList() const { return remote_; }
    QListWidget* productList() const { return product_; }

  private:
    PortChoices choices_;
    QListWidget* local_;
    QListWidget* remote_;
    QListWidget* product_;
};

}  // namespace loom
