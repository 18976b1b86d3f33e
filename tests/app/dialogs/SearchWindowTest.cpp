#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "context/AppContext.h"
#include "dialogs/SearchWindow.h"
#include "document/ProgramState.h"
#include "support/DemoArchive.h"
#include "support/RecordingPrompt.h"

namespace loom {

class SearchWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void findsInSwedishOrderAndOpensTheSelectedFile() {
        QVERIFY2(archive.error().isEmpty(), qPrintable(archive.error()));
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        archive.attach(context);
        std::vector<std::filesystem::path> opened;
        SearchWindow window(context, [&](const std::filesystem::path& path) {
            opened.push_back(path);
            return true;
        });
        window.present();
        QVERIFY(!window.isModal());

        // Everything, sorted as Swedish sorts: Å before Ä before Ö.
        QTest::mouseClick(window.searchButton(), Qt::LeftButton);
        QTreeWidget* list = window.list();
        QCOMPARE(list->topLevelItemCount(), 3);
        QStringList first;
        for (int i = 0; i < 3; ++i)
            first << list->topLevelItem(i)->text(0);
        QCOMPARE(first,
                 (QStringList{QStringLiteral("Åkerlunds Bageri AB"),
                              QStringLiteral("Ängens Förskola"), QStringLiteral("Östra Skolan")}));
        QCOMPARE(window.countLabel()->text(), QStringLiteral("3"));
        QVERIFY(!window.openButton()->isEnabled());

        // A keyword narrows it down; the text joins the history.
        window.keywordCombo()->setEditText(QStringLiteral("bageri"));
        QTest::keyClick(window.keywordCombo()->lineEdit(), Qt::Key_Return);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(window.keywordCombo()->itemText(0), QStringLiteral("bageri"));
        list->setCurrentItem(list->topLevelItem(0));
        QVERIFY(window.openButton()->isEnabled());
        QTest::mouseClick(window.openButton(), Qt::LeftButton);
        QCOMPARE(opened.size(), std::size_t{1});
        QCOMPARE(opened[0].parent_path(), archive.home() / "FILES");
        QCOMPARE(opened[0].extension().string(), std::string(".KQD"));
        QVERIFY(std::filesystem::exists(opened[0]));
        QVERIFY(!window.isVisible());
        QVERIFY(prompt.entries.empty());
    }

  private:
    test::DemoArchive archive;
};

}  // namespace loom

QTEST_MAIN(loom::SearchWindowTest)
#include "SearchWindowTest.moc"
