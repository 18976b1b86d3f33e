#pragma once

#include <QDialog>

namespace loom {

// The program's own help, from its resources, in a window of its own.
class HelpWindow final : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

// The about box: "Om Harvik Loomcraft" with the program's picture and version.
class AboutBox final : public QDialog {
  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace loom
