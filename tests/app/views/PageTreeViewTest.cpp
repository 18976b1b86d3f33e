// The page tree as the user clicks it: only available pages are shown.
#include <QSignalSpy>
#include <QTest>

#include "document/PageStates.h"
#include "support/RecordingPrompt.h"
#include "template/TreeOutline.h"
#include "views/PageTreeView.h"
#include "views/TreePictures.h"

using namespace loom;

namespace {

// Root "Mall" > group "Grupp" > pages 0 and 1; page 2 under the root.
TreeOutline outline() {
    TreeOutline t;
    const int root = t.addRoot("Mall");
    const int group = t.addGroup(root, "Grupp");
    for (int i = 0; i < 3; ++i)
        t.addPage(i < 2 ? group : root, "Sida " + std::to_string(i), i);
    return t;
}

QTreeWidgetItem* itemOf(QTreeWidget& tree, int page) {
    QTreeWidgetItemIterator it(&tree);
    for (; *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == page) return *it;
    return nullptr;
}

bool shows(QTreeWidgetItem* item, int picture) {
    return item->icon(0).cacheKey() == treePicture(picture).cacheKey();
}

}  // namespace

class PageTreeViewTest : public QObject {
    Q_OBJECT

  private slots:
    void unavailablePageBeepsAndKeepsTheSelection() {
        test::RecordingPrompt prompt;
        PageTreeView tree(prompt);
        tree.resize(250, 300);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        tree.rebuild(outline());
        QSignalSpy chosen(&tree, &PageTreeView::pageChosen);
        tree.markAllUnavailable();
        tree.markAvailable(0);
        tree.markAvailable(2);
        tree.selectPage(1);
        QCOMPARE(chosen.count(), 0);
        tree.selectPage(0);
        QCOMPARE(chosen.count(), 1);

        // A click or the arrow key onto an unavailable page beeps and leaves the selection.
        QTreeWidgetItem* unavailable = itemOf(tree, 1);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualItemRect(unavailable).center());
        QTest::keyClick(&tree, Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(prompt.beeps, 2);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(tree.currentItem(), itemOf(tree, 0));
        QVERIFY(!unavailable->isSelected());

        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualItemRect(itemOf(tree, 2)).center());
        QCOMPARE(chosen.last().at(0).toInt(), 2);
        // The pictures are the core's page states, shown.
        QVERIFY(shows(itemOf(tree, 2), PageStates::kPageSelected));
        QVERIFY(shows(unavailable, PageStates::kPageUnavailable));
    }
};

QTEST_MAIN(PageTreeViewTest)
#include "PageTreeViewTest.moc"
