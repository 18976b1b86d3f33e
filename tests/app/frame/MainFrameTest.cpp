// What an installer sees of the frame itself: the toolbar's buttons in their order with
// their tips, and the activity indicator staying at the right end of the toolbar row.
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "frame/ActivityIndicator.h"
#include "frame/MainFrame.h"

namespace loom {

class MainFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void toolbarHoldsTheButtonsInOrder() {
        MainFrame frame;
        const QList<QAction*> actions = frame.findChild<QToolBar*>()->actions();
        QStringList tips;
        for (QAction* a : actions)
            if (!a->isSeparator() && !a->toolTip().isEmpty() && a->text() != a->toolTip())
                tips << a->toolTip();
        QCOMPARE(tips, QStringList({"Ny fil", "Öppna fil", "Spara fil", "Skriv ut", "Föregående",
                                    "Nästa", "Läs prom", "Skriv prom", "Koppla ner"}));
        int separators = 0;
        for (QAction* a : actions)
            separators += a->isSeparator() ? 1 : 0;
        QCOMPARE(separators, 3);
    }

    void indicatorStaysAtTheRightEndAndTurnsWhileBusy() {
        MainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        ActivityIndicator* indicator = frame.indicator();
        for (int width : {700, 1100, 560}) {
            frame.resize(width, 500);
            QTest::qWait(20);
            const QPoint right = indicator->mapTo(&frame, QPoint(indicator->width(), 0));
            QVERIFY2(frame.width() - right.x() < 16, qPrintable(QString::number(right.x())));
        }
        QCOMPARE(indicator->frame(), 0);
        indicator->start();
        QCOMPARE(indicator->frame(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(indicator->frame() == 2, 2000);
        indicator->stop();
        QCOMPARE(indicator->frame(), 0);
    }
};

}  // namespace loom

QTEST_MAIN(loom::MainFrameTest)
#include "MainFrameTest.moc"
