#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <cstddef>

class QWidget;

namespace loom {

// The progress of a run over the archive's files that goes on in a command's handler
// (copying, re-enciphering): files done of all, without a cancel button, since stopping
// halfway would change what the run does. The dialog appears only when the run lasts; the
// windows repaint meanwhile, a few times a second, so that the run costs what it did
// without the dialog. No user input is taken until the run ends.
class RunProgress {
  public:
    RunProgress(const QString& title, const QString& label, QWidget* parent);
    ~RunProgress();
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // `done` files of `count` are handled.
    void step(std::size_t done, std::size_t count);

    // The dialog, for the tests; it closes with the run.
    QProgressDialog* dialog() const { return dialog_; }

  private:
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer sinceShown_;
};

}  // namespace loom
