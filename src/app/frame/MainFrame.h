#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QToolBar>
#include <functional>
#include <map>

#include "document/CommandTable.h"

namespace loom {

class ActivityIndicator;

// The program's one window: menus and toolbar from the command table, the splitter with
// the tree and the form, the status bar's four panes and the activity indicator. It
// decides nothing itself: commands go out through `commandTriggered`, enabling comes from
// the command table over the state the owner reports.
class MainFrame final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainFrame(QWidget* parent = nullptr);

    QAction* action(CommandId id) const;
    void setPanes(QWidget* tree, QWidget* form);
    // The tree's column: 0 hides it (no template), else its ideal width.
    void setTreeWidth(int width);
    int treeWidth() const;
    ActivityIndicator* indicator() const { return indicator_; }

    // Where the enabling reads the document's state; recomputed when a menu opens, after
    // each command and while the program is idle.
    void setStateSource(std::function<CommandContext()> source) {
        stateSource_ = std::move(source);
    }
    void updateCommands();

    void showModified(bool on);
    void showInsertMode(bool on);
    void showDate(const QString& text);
    // The connection to the panel ("Lokal", "Modem", "TCP/IP ..."), empty without one.
    void showConnection(const QString& text);
    // What is asked before the window closes (false keeps it open).
    void setCloseCheck(std::function<bool()> check) { closeCheck_ = std::move(check); }

    // The texts of the status bar's panes, for tests and the accessibility tree.
    QString modifiedPaneText() const;
    QString insertPaneText() const;
    QString datePaneText() const;
    QString connectionPaneText() const;

  signals:
    void commandTriggered(loom::CommandId id);
    void fileDropped(const QString& path);
    // Every 250 ms while the program runs, after the enabling is recomputed.
    void idleTick();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* makeAction(const CommandEntry& entry);

    QSplitter* splitter_;
    QToolBar* toolBar_ = nullptr;
    ActivityIndicator* indicator_ = nullptr;
    QLabel* modifiedPane_ = nullptr;
    QLabel* insertPane_ = nullptr;
    QLabel* datePane_ = nullptr;
    QLabel* connectionPane_ = nullptr;
    std::map<CommandId, QAction*> actions_;
    std::function<CommandContext()> stateSource_;
    std::function<bool()> closeCheck_;
    int treeWidth_ = 0;
};

}  // namespace loom
