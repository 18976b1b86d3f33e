// The form view's widgets typing, checking and moving through a page by the form's
// interaction, as a user at the keyboard meets them.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "support/HandBuiltForm.h"
#include "template/FormInteraction.h"
#include "views/FormPageView.h"

using namespace loom;
using namespace loom::test;

namespace {

// A hand-built form whose interaction talks to a real FormPageView.
struct Bed {
    HandBuiltForm f{1};
    FormPageView view{f.prompt};
    std::unique_ptr<FormInteraction> ui;
    int nextY = 5;

    FormControl& place(FormControl& c, int width = 120) {
        c.rect = PixelRect{5, nextY, width, 22};
        nextY += 30;
        f.form.page(0).extentWidth = 200;
        f.form.page(0).extentHeight = nextY;
        return c;
    }
    void show() {
        ui = std::make_unique<FormInteraction>(f.form, f.rules, view, f.prompt);
        view.resize(400, 300);
        view.showPage(f.form, *ui, 0, nullptr);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
    }
    QLineEdit* line(const FormControl& c) { return qobject_cast<QLineEdit*>(view.widgetOf(c)); }
    ~Bed() { view.clearPage(); }
};

}  // namespace

class FormPageViewTest : public QObject {
    Q_OBJECT

  private slots:
    void overwriteInsertAndPaste() {
        Bed b;
        FormControl& e = b.place(b.f.edit(0, limits(3, none, none, none)));
        FormControl& free = b.place(b.f.edit());
        e.field->value = e.text = "abc";
        b.show();
        QLineEdit* w = b.line(e);
        w->setFocus();
        b.view.setInsertMode(false);
        w->setCursorPosition(1);
        QTest::keyClicks(w, "x");
        QCOMPARE(e.field->value, std::string("axc"));
        w->setCursorPosition(3);  // at the end a fourth character is appended: refused
        QTest::keyClicks(w, "y");
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(b.f.prompt.beeps, 1);

        // Insert mode adds a character, over the limit here: refused.
        QTest::keyClick(w, Qt::Key_Insert);
        w->setCursorPosition(1);
        QTest::keyClicks(w, "z");
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(b.f.prompt.beeps, 2);
        // A single-line field takes the first line of what is pasted, silently.
        QApplication::clipboard()->setText("12\r\n34");
        b.line(free)->setFocus();
        QTest::keyClick(b.line(free), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(free.field->value, std::string("12"));
        QVERIFY(b.f.prompt.entries.empty());
    }

    // A letter in a digits field beeps; a failed final check keeps the focus in the field.
    void filterAndFinalCheckKeepTheUserInTheField() {
        Bed b;
        FormControl& first = b.place(b.f.edit(1, limits(none, 3, none, none)));
        FormControl& label = b.f.add(ControlKind::Label, 0, "Postnummer");
        label.rect = PixelRect{0, first.rect.y, 4, 20};  // left of the field, on its row
        FormControl& second = b.place(b.f.edit());
        b.show();
        QLineEdit* w = b.line(first);
        QCOMPARE(w->accessibleName(), QString("Postnummer"));
        w->setFocus();
        QTest::keyClicks(w, "1a2");
        QCOMPARE(first.field->value, std::string("12"));
        QCOMPARE(b.f.prompt.beeps, 1);
        QTest::keyClick(w, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(b.f.prompt.entries.size(), std::size_t{1});
        QCOMPARE(QApplication::focusWidget(), w);

        QTest::keyClicks(w, "3");
        QTest::keyClick(w, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), b.view.widgetOf(second));
        QCOMPARE(b.f.prompt.entries.size(), std::size_t{1});
    }

    void ruleHidesAndShowsAControl() {
        Bed b;
        FormControl& box = b.place(b.f.checkBox());
        FormControl& edit = b.place(b.f.edit());
        b.f.rule(&box, 55, {HandBuiltForm::act(61, &edit)}, nullptr, "J");
        b.f.rule(&box, 55, {HandBuiltForm::act(60, &edit)}, nullptr, "N");
        b.show();
        auto* check = qobject_cast<QCheckBox*>(b.view.widgetOf(box));
        QVERIFY(check && !b.view.widgetOf(edit)->isHidden());

        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(box.field->value, std::string("J"));
        QVERIFY(b.view.widgetOf(edit)->isHidden());
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(!b.view.widgetOf(edit)->isHidden());

        // A hidden control is built hidden when its page comes again.
        QTest::mouseClick(check, Qt::LeftButton);
        b.view.showPage(b.f.form, *b.ui, 0, nullptr);
        QVERIFY(b.view.widgetOf(edit)->isHidden());
    }
};

QTEST_MAIN(FormPageViewTest)
#include "FormPageViewTest.moc"
