#include "dialogs/RunProgress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QProgressDialog>
#include <limits>

namespace loom {
namespace {

// Repaints between files at most this often: each costs an event-loop pass; four a second
// keep the count moving for well under 2% of the run's processor time.
constexpr qint64 kRepaintMs = 250;
// A run shorter than this shows no dialog.
constexpr int kShowAfterMs = 500;

int clamped(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

}  // namespace

RunProgress::RunProgress(const QString& title, const QString& label, QWidget* parent)
    : dialog_(new QProgressDialog(parent)) {
    dialog_->setWindowTitle(title);
    dialog_->setLabelText(label);
    auto* bar = new QProgressBar(dialog_);
    bar->setFormat(QStringLiteral("%v av %m filer"));
    bar->setAccessibleName(label);
    // Room for the count beside the bar's filling.
    bar->setMinimumWidth(bar->fontMetrics().averageCharWidth() * 40);
    dialog_->setBar(bar);
    dialog_->setCancelButton(nullptr);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(kShowAfterMs);
    // The handler holds the thread; input waits until it is done.
    dialog_->setWindowModality(Qt::NonModal);
    dialog_->setMinimumWidth(bar->minimumWidth() +
                             2 * dialog_->fontMetrics().averageCharWidth() * 4);
    dialog_->setValue(0);
    sinceShown_.start();
}

RunProgress::~RunProgress() {
    delete dialog_;
}

void RunProgress::step(std::size_t done, std::size_t count) {
    if (dialog_ == nullptr) return;
    if (done < count && sinceShown_.elapsed() < kRepaintMs) return;
    sinceShown_.restart();
    if (dialog_->maximum() != clamped(count)) dialog_->setMaximum(clamped(count));
    dialog_->setValue(clamped(done));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace loom
