#include "ProgressPrinter.h"

#include <algorithm>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom::cli {
namespace {

constexpr int kBarWidth = 30;
// Without a terminal, a wait line at most every so many seconds.
constexpr int kWaitLineEvery = 5;

}  // namespace

void ProgressPrinter::openProgress(bool reading, std::string_view firstText) {
    open_ = true;
    percent_ = -1;
    waiting_.clear();
    waitPrinted_ = -1;
    status_ = cp1252ToUtf8(firstText);
    const std::string caption =
        cp1252ToUtf8(formatMessage(reading ? MessageId::ReadCaption : MessageId::WriteCaption));
    if (terminal_) {
        interrupt();
        err_ << caption << '\n';
        draw();
        return;
    }
    err_ << caption << '\n';
    if (!status_.empty()) err_ << status_ << '\n';
}

void ProgressPrinter::setProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    if (terminal_) {
        draw();
    } else {
        err_ << "progress " << percent << '\n';
    }
}

void ProgressPrinter::setStatusText(std::string_view text) {
    status_ = cp1252ToUtf8(text);
    if (terminal_) {
        draw();
    } else {
        err_ << status_ << '\n';
    }
}

void ProgressPrinter::setWaiting(int seconds, std::string_view text) {
    if (!open_) return;
    if (seconds <= 0) {
        // The panel answers again: the status text is what goes on.
        const bool lineShown = waitPrinted_ >= 0;
        waiting_.clear();
        waitPrinted_ = -1;
        if (terminal_) {
            draw();
        } else if (lineShown && !status_.empty()) {
            err_ << status_ << '\n';
        }
        return;
    }
    waiting_ = cp1252ToUtf8(text);
    if (terminal_) {
        draw();
        return;
    }
    if (waitPrinted_ >= 0 && seconds < waitPrinted_ + kWaitLineEvery) return;
    waitPrinted_ = seconds;
    err_ << waiting_ << '\n';
}

void ProgressPrinter::closeProgress() {
    if (terminal_ && drawn_) err_ << '\n';
    drawn_ = false;
    open_ = false;
    waiting_.clear();
    waitPrinted_ = -1;
    err_.flush();
}

void ProgressPrinter::interrupt() {
    if (!drawn_) return;
    err_ << "\r\033[K";
    drawn_ = false;
}

void ProgressPrinter::draw() {
    if (!terminal_ || !open_) return;
    const int shown = std::max(percent_, 0);
    const int filled = shown * kBarWidth / 100;
    std::string line = "\r\033[K[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    line += "] ";
    const std::string number = std::to_string(shown);
    line.append(3 - std::min<std::size_t>(3, number.size()), ' ');
    line += number + "% " + status_;
    if (!waiting_.empty()) line += (status_.empty() ? "" : " ") + waiting_;
    err_ << line << std::flush;
    drawn_ = true;
}

}  // namespace loom::cli
