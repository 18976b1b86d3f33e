#include "views/PageTreeView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>

#include "QtText.h"
#include "platform/UserPrompt.h"
#include "template/TreeOutline.h"
#include "views/TreePictures.h"

namespace loom {
namespace {

constexpr int kPageRole = Qt::UserRole;

void setPicture(QTreeWidgetItem* item, int picture) {
    item->setIcon(0, treePicture(picture));
}

int pageOf(const QTreeWidgetItem* item) {
    return item == nullptr ? -1 : item->data(0, kPageRole).toInt();
}

}  // namespace

PageTreeView::PageTreeView(UserPrompt& prompt, QWidget* parent)
    : QTreeWidget(parent), prompt_(prompt) {
    setColumnCount(1);
    header()->hide();
    // Long page names scroll sideways instead of being cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setIconSize(QSize(16, 16));
    setAccessibleName(QStringLiteral("Sidor"));
    connect(this, &QTreeWidget::currentItemChanged, this, &PageTreeView::onCurrentItemChanged);
    connect(this, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) {
        if (item->parent() != nullptr) setPicture(item, PageStates::kGroupExpanded);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) {
        if (item->parent() != nullptr) setPicture(item, PageStates::kGroupCollapsed);
    });
}

void PageTreeView::rebuild(const TreeOutline& outline) {
    clear();
    const auto& nodes = outline.nodes();
    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    QTreeWidgetItem* root = nullptr;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const TreeOutline::Node& node = nodes[i];
        QTreeWidgetItem* parent = node.parent >= 0 && static_cast<std::size_t>(node.parent) < i
                                      ? items[node.parent]
                                      : nullptr;
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem();
        item->setText(0, toQt(node.name));
        item->setData(0, kPageRole, node.kind == TreeOutline::Kind::Page ? node.pageNumber : -1);
        switch (node.kind) {
            case TreeOutline::Kind::Root:
                setPicture(item, PageStates::kRoot);
                break;
            case TreeOutline::Kind::Group:
                setPicture(item, PageStates::kGroupCollapsed);
                break;
            case TreeOutline::Kind::Page:
                if (node.pageNumber >= 0) {
                    if (node.pageNumber >= pageCount())
                        pageItems_.resize(static_cast<std::size_t>(node.pageNumber) + 1, nullptr);
                    pageItems_[static_cast<std::size_t>(node.pageNumber)] = item;
                }
                setPicture(item, PageStates::kPage);
                break;
        }
        if (parent == nullptr) {
            addTopLevelItem(item);
            if (root == nullptr) root = item;
        }
        items[i] = item;
    }
    states_.reset(pageCount());
    // The template's first level shows at once; groups open as the user (or a selected
    // page) opens them.
    if (root != nullptr) root->setExpanded(true);
}

void PageTreeView::clear() {
    selecting_ = true;
    QTreeWidget::clear();
    selecting_ = false;
    pageItems_.clear();
    states_.clear();
    currentPage_ = -1;
}

void PageTreeView::selectPage(int page) {
    if (page < 0 || page >= pageCount() || pageItems_[page] == nullptr || !states_.canSelect(page))
        return;
    QTreeWidgetItem* item = pageItems_[static_cast<std::size_t>(page)];
    if (currentItem() != item) {
        setCurrentItem(item);  // reports pageChosen through the selection change
    } else {
        // Already selected (a template loaded again): the document still has to show it.
        const int previous = currentPage_;
        currentPage_ = page;
        redrawPage(previous);
        redrawPage(page);
        emit pageChosen(page);
    }
    scrollToItem(item);
    setFocus(Qt::OtherFocusReason);
}

void PageTreeView::showNoPage() {
    if (currentPage_ < 0) return;
    const int previous = currentPage_;
    currentPage_ = -1;
    selecting_ = true;
    setCurrentItem(nullptr);
    clearSelection();
    selecting_ = false;
    redrawPage(previous);
}

void PageTreeView::onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (selecting_) return;
    const int page = pageOf(current);
    if (page < 0) return;  // the root or a group: nothing changes
    if (!states_.canSelect(page)) {
        prompt_.beep();
        putSelectionBack();
        return;
    }
    const int previous = currentPage_;
    currentPage_ = page;
    redrawPage(previous);
    redrawPage(page);
    emit pageChosen(page);
}

bool PageTreeView::refuseClick(const QMouseEvent* event, bool beep) {
    const int page = pageOf(itemAt(event->position().toPoint()));
    if (page < 0 || states_.canSelect(page)) return false;
    if (beep && event->button() == Qt::LeftButton) prompt_.beep();
    return true;
}

void PageTreeView::mousePressEvent(QMouseEvent* event) {
    // Refused before the view moves its selection, so that the selection never leaves
    // the page shown.
    if (!refuseClick(event, true)) QTreeWidget::mousePressEvent(event);
}

void PageTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Its press has beeped already.
    if (!refuseClick(event, false)) QTreeWidget::mouseDoubleClickEvent(event);
}

void PageTreeView::putSelectionBack() {
    const auto back = [this] {
        QTreeWidgetItem* item = currentPage_ >= 0 && currentPage_ < pageCount()
                                    ? pageItems_[static_cast<std::size_t>(currentPage_)]
                                    : nullptr;
        selecting_ = true;
        setCurrentItem(item);
        if (item != nullptr) {
            item->setSelected(true);
        } else {
            clearSelection();
        }
        selecting_ = false;
    };
    back();
    // The view may still select the refused item once this notification returns (a
    // keyboard move does): the selection is put back again after it.
    QTimer::singleShot(0, this, back);
}

int PageTreeView::pagePicture(int page) const {
    return states_.picture(page, page == currentPage_);
}

void PageTreeView::redrawPage(int page) {
    if (page < 0 || page >= pageCount() || pageItems_[static_cast<std::size_t>(page)] == nullptr)
        return;
    setPicture(pageItems_[static_cast<std::size_t>(page)], pagePicture(page));
}

void PageTreeView::redrawAllPages() {
    for (int page = 0; page < pageCount(); ++page)
        redrawPage(page);
}

void PageTreeView::resetPageStates() {
    states_.reset(pageCount());
    redrawAllPages();
}

void PageTreeView::markAllUnavailable() {
    states_.markAllUnavailable(pageCount());
    redrawAllPages();
}

void PageTreeView::markAvailable(int page) {
    states_.markAvailable(page);
    redrawPage(page);
}

void PageTreeView::markDiffering(int page) {
    states_.markDiffering(page);
    redrawPage(page);
    if (!states_.differs(page) || page >= pageCount()) return;
    // A differing page must be seen: its groups open.
    if (QTreeWidgetItem* item = pageItems_[static_cast<std::size_t>(page)])
        for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent())
            up->setExpanded(true);
}

void PageTreeView::clearDifferences() {
    for (int page : states_.clearDifferences())
        redrawPage(page);
}

}  // namespace loom

namespace loom {

int PageTreeView::naturalWidth() const {
    int widest = 0;
    const QFontMetrics metrics = fontMetrics();
    for (QTreeWidgetItemIterator it(const_cast<PageTreeView*>(this)); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        widest = std::max(widest, (depth + 1) * indentation() + iconSize().width() + 8 +
                                      metrics.horizontalAdvance((*it)->text(0)));
    }
    return widest + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

}  // namespace loom
