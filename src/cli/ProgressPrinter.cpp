#include "ProgressPrinter.h"

#include <algorithm>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom::cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

void ProgressPrinter::openProgress(bool reading, std::string_view firstText) {
    open_ = true;
    percent_ = -1;
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

void ProgressPrinter::closeProgress() {
    if (terminal_ && drawn_) err_ << '\n';
    drawn_ = false;
    open_ = false;
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
    err_ << line << std::flush;
    drawn_ = true;
}

}  // namespace loom::cli
