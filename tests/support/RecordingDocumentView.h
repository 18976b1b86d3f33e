#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/Cp1252.h"
#include "document/DocumentView.h"

namespace loom::test {

// Keeps the page states as the tree does (a differing mark only on an available page) and
// records the progress dialog, the log windows opened and the notifications as events.
class RecordingDocumentView : public DocumentView {
  public:
    void templateGoing() override {
        events.push_back("going");
        if (onTemplateGoing) onTemplateGoing();
    }
    void templateChanged() override { events.push_back("changed"); }
    void pageChanged(int page) override { events.push_back("page " + std::to_string(page)); }
    void valuesChanged() override { events.push_back("values"); }
    void modifiedChanged(bool on) override { events.push_back(on ? "modified" : "unmodified"); }
    void statusDateChanged() override { events.push_back("date"); }
    void treeWidth(int width) override { events.push_back("width " + std::to_string(width)); }

    void resetPageStates() override {
        allUnavailable = false;
        available.clear();
        differing.clear();
    }
    void markAllUnavailable() override {
        allUnavailable = true;
        available.clear();
    }
    void markAvailable(int page) override { available.insert(page); }
    void markDiffering(int page) override {
        if (isAvailable(page)) differing.insert(page);
    }
    void clearDifferences() override { differing.clear(); }
    void selectPage(int page) override {
        if (isAvailable(page)) selected = page;
    }

    void openProgress(bool, std::string_view text) override {
        ++progressOpened;
        firstText = cp1252ToUtf8(text);
        percents.clear();
        statuses.clear();
        waits.clear();
    }
    void setProgress(int percent) override { percents.push_back(percent); }
    void setStatusText(std::string_view text) override { statuses.push_back(cp1252ToUtf8(text)); }
    void setWaiting(int seconds, std::string_view) override { waits.push_back(seconds); }
    void closeProgress() override { ++progressClosed; }
    void openLogWindow(const std::filesystem::path& file) override { logWindows.push_back(file); }

    bool isAvailable(int page) const { return !allUnavailable || available.count(page) != 0; }

    bool allUnavailable = false;
    std::set<int> available;
    std::set<int> differing;
    int selected = -1;
    int progressOpened = 0;
    int progressClosed = 0;
    std::string firstText;  // UTF-8
    std::vector<int> percents;
    std::vector<std::string> statuses;  // UTF-8
    std::vector<int> waits;             // the seconds of each wait notice
    std::vector<std::filesystem::path> logWindows;
    std::vector<std::string> events;
    std::function<void()> onTemplateGoing;
};

}  // namespace loom::test
