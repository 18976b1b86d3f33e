#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>

class QCloseEvent;

namespace loom {

// Dialog 192: the progress of one PROM transfer, modeless beside the form. The caption
// says which way the data goes; the status text is the worker's; a second line tells how
// long the panel has been silent. "Avbryt", Escape and the close box only ask for a cancel
// (cancelRequested): whoever owns the dialog asks the user, and the dialog stays until the
// transfer has ended. Connect it queued: the question runs an event loop in which the
// transfer may end and the dialog go, so no call of the dialog's may be on the stack.
class TransferProgressDialog final : public QDialog {
    Q_OBJECT

  public:
    // An empty first text: "Väntar på centralen..." until the transfer reports its own.
    TransferProgressDialog(bool reading, const QString& firstText, QWidget* parent);

    void setPercent(int percent);
    void setText(const QString& text);
    // Empty: the panel answers again.
    void setWaiting(const QString& text);

    QLabel* statusLabel() const { return status_; }
    QLabel* waitingLabel() const { return waiting_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void requestCancel();

    QLabel* status_;
    QLabel* waiting_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

}  // namespace loom
