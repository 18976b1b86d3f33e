#pragma once

#include <QTreeWidget>

#include <vector>

#include "document/PageStates.h"

namespace loom {

class TreeOutline;
class UserPrompt;

// The left pane: the loaded template's groups and pages. It does not own the document:
// the frame fills it from the document's outline, forwards the document's page states to
// it, and on pageChosen calls the document's SetPage.
//
// Choosing a page that is not available (a PROM read has not brought its values yet)
// beeps through the prompt and puts the selection back on the page shown.
class PageTreeView final : public QTreeWidget {
    Q_OBJECT

  public:
    explicit PageTreeView(UserPrompt& prompt, QWidget* parent = nullptr);

    // The width that shows every node's name whole, every group open.
    int naturalWidth() const;

    // The nodes of a newly loaded template: the root with its title, groups nested as the
    // template nests them, pages under them. Page states are reset and no page is current.
    void rebuild(const TreeOutline& outline);
    // No template: no nodes.
    void clear();

    // Selects the page's node, gives the tree the focus and reports pageChosen; an
    // unavailable page (or one the tree does not have) is not selected.
    void selectPage(int page);
    // The document shows no page: no node stays selected (a selected node could not be
    // chosen again).
    void showNoPage();
    // The page whose node was last made current; -1 when none.
    int currentPage() const { return currentPage_; }

    // The document's page states.
    void resetPageStates();
    void markAllUnavailable();
    void markAvailable(int page);
    void markDiffering(int page);
    void clearDifferences();
    const PageStates& pageStates() const { return states_; }

    // The picture index (PageStates::Picture) a page's node shows now.
    int pagePicture(int page) const;

  signals:
    // A selectable page was chosen, by the user or by selectPage: show it.
    void pageChosen(int page);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // A click on a page that cannot be chosen: beeps, and the click goes no further.
    bool refuseClick(const QMouseEvent* event, bool beep);
    void onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void redrawPage(int page);
    void redrawAllPages();
    void putSelectionBack();
    int pageCount() const { return static_cast<int>(pageItems_.size()); }

    UserPrompt& prompt_;
    std::vector<QTreeWidgetItem*> pageItems_;  // by page number
    PageStates states_;
    int currentPage_ = -1;
    bool selecting_ = false;  // the tree's selection is being set by this class
};

}  // namespace loom
