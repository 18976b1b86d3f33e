#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "document/DocumentView.h"

namespace loom::cli {

// The CLI's side of a transfer's windows: on a terminal a progress bar with the status
// text and the wait for a silent panel, redrawn in place; otherwise one line per new
// percentage ("progress 50") and per status text, and a wait line when the wait begins and
// then every few seconds of it, so that logs stay readable. Remembers where the event log
// window would have opened. Everything here runs on the user's thread.
class ProgressPrinter final : public DocumentView {
  public:
    ProgressPrinter(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

    void openProgress(bool reading, std::string_view firstText) override;
    void setProgress(int percent) override;
    void setStatusText(std::string_view text) override;
    void setWaiting(int seconds, std::string_view text) override;
    void closeProgress() override;
    void openLogWindow(const std::filesystem::path& logFile) override { logWindow_ = logFile; }

    // Takes the bar off its line, so that a message can be printed there; the next
    // change draws it again.
    void interrupt();

    const std::optional<std::filesystem::path>& logWindow() const { return logWindow_; }

  private:
    void draw();

    std::ostream& err_;
    bool terminal_;
    bool open_ = false;
    bool drawn_ = false;
    int percent_ = -1;
    std::string status_;    // UTF-8
    std::string waiting_;   // UTF-8, empty while the panel answers
    int waitPrinted_ = -1;  // the seconds of the last wait line without a terminal
    std::optional<std::filesystem::path> logWindow_;
};

}  // namespace loom::cli
