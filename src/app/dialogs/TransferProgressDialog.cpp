#include "dialogs/TransferProgressDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <algorithm>

#include "QtText.h"
#include "common/Messages.h"

namespace loom {

TransferProgressDialog::TransferProgressDialog(bool reading, const QString& firstText,
                                               QWidget* parent)
    : QDialog(parent),
      status_(new QLabel(
          firstText.isEmpty() ? toQt(messageText(MessageId::ProgressStarting)) : firstText, this)),
      waiting_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("&Avbryt"), this)) {
    setWindowTitle(toQt(messageText(reading ? MessageId::ReadCaption : MessageId::WriteCaption)));
    setModal(false);
    // Wide enough for the longest texts the transfer shows, so that none of them wraps or
    // makes the window jump.
    const QFontMetrics metrics = status_->fontMetrics();
    const int widest = std::max(
        metrics.horizontalAdvance(toQt(formatMessage(MessageId::WaitingForPanel, {999}))),
        metrics.horizontalAdvance(toQt(messageText(MessageId::PressResetButton))));
    const int width = std::max(metrics.averageCharWidth() * 60, widest + widest / 4);
    for (QLabel* label : {status_, waiting_}) {
        label->setWordWrap(true);
        label->setMinimumWidth(width);
        // An empty line keeps its height: the bar does not move when a text comes.
        label->setMinimumHeight(metrics.lineSpacing());
    }
    status_->setAccessibleName(QStringLiteral("Status"));
    waiting_->setAccessibleName(QStringLiteral("Väntan på centralen"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setAccessibleName(QStringLiteral("Förlopp"));
    cancel_->setAccessibleName(QStringLiteral("Avbryt"));
    cancel_->setDefault(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(cancel_, &QPushButton::clicked, this, &TransferProgressDialog::requestCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(waiting_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cancel_->setFocus();
}

void TransferProgressDialog::setPercent(int percent) {
    bar_->setValue(std::clamp(percent, 0, 100));
}

void TransferProgressDialog::setText(const QString& text) {
    status_->setText(text);
}

void TransferProgressDialog::setWaiting(const QString& text) {
    waiting_->setText(text);
}

void TransferProgressDialog::reject() {
    requestCancel();
}

void TransferProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestCancel();
}

void TransferProgressDialog::requestCancel() {
    emit cancelRequested();
}

}  // namespace loom
