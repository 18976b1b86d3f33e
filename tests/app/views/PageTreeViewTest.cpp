// The page tree as the user clicks it: only available pages are shown.
#include <QSignalSpy>
#include <QTest>

#include "support/RecordingPrompt.h"
#include "template/TreeOutline.h"
#include "views/PageTreeView.h"
#include "views/TreePictures.h"

using namespace loom;

namespace {

// Root "Mall" > group "Grupp" > pages 0 and 1; page 2 under the root.
TreeOutline outline(int pages = 3) {
    TreeOutline t;
    const int root = t.addRoot("Mall");
    const int group = t.addGroup(root, "Grupp");
    for (int i = 0; i < pages; ++i)
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
        QCOMPARE(chosen.last().at(0).toInt(), 0);
        QCOMPARE(tree.pagePicture(0), 4);
        QCOMPARE(tree.pagePicture(1), 7);

        QTreeWidgetItem* unavailable = itemOf(tree, 1);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualItemRect(unavailable).center());
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(tree.currentItem(), itemOf(tree, 0));
        QVERIFY(!unavailable->isSelected());
        QCOMPARE(tree.currentPage(), 0);
        QTest::keyClick(&tree, Qt::Key_Down);  // from page 0 to page 1 by the keyboard
        QCoreApplication::processEvents();
        QCOMPARE(prompt.beeps, 2);
        QCOMPARE(tree.currentItem(), itemOf(tree, 0));
        QVERIFY(itemOf(tree, 0)->isSelected());
        QVERIFY(!unavailable->isSelected());

        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                          tree.visualItemRect(itemOf(tree, 2)).center());
        QCOMPARE(chosen.last().at(0).toInt(), 2);
        QVERIFY(shows(itemOf(tree, 0), 3));
        QVERIFY(shows(itemOf(tree, 2), 4));

        tree.markDiffering(2);
        tree.markDiffering(1);  // unavailable: left alone
        QCOMPARE(tree.pagePicture(2), 6);
        tree.clearDifferences();
        QCOMPARE(tree.pagePicture(2), 4);
    }

    void groupPicturesFollowExpansionAndTheRootKeepsItsOwn() {
        test::RecordingPrompt prompt;
        PageTreeView tree(prompt);
        tree.rebuild(outline());
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QTreeWidgetItem* group = root->child(0);
        QVERIFY(shows(group, 1));
        group->setExpanded(true);
        QVERIFY(shows(group, 2));
        group->setExpanded(false);
        QVERIFY(shows(group, 1));
        root->setExpanded(false);
        root->setExpanded(true);
        QVERIFY(shows(root, 0));
    }

    void aNewTemplateForgetsTheOldPages() {
        test::RecordingPrompt prompt;
        PageTreeView tree(prompt);
        tree.rebuild(outline(3));
        tree.selectPage(2);
        tree.markDiffering(0);
        tree.rebuild(outline(1));
        QCOMPARE(tree.currentPage(), -1);
        QSignalSpy chosen(&tree, &PageTreeView::pageChosen);
        tree.selectPage(2);  // no such page now
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(tree.pagePicture(0), 3);
        tree.selectPage(0);
        QCOMPARE(chosen.count(), 1);
        tree.clear();
        QCOMPARE(tree.topLevelItemCount(), 0);
    }
};

QTEST_MAIN(PageTreeViewTest)
#include "PageTreeViewTest.moc"
