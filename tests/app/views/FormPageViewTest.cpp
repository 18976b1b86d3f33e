// The form view's widgets typing, checking and moving through a page by the form's
// interaction, as a user at the keyboard meets them.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
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
    void overwriteAndMaximumCharacters() {
        Bed b;
        FormControl& e = b.place(b.f.edit(0, limits(3, none, none, none)));
        e.field->value = e.text = "abc";
        b.show();
        QLineEdit* w = b.line(e);
        QVERIFY(w);
        w->setFocus();
        b.view.setInsertMode(false);
        w->setCursorPosition(1);
        QTest::keyClicks(w, "x");
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(e.field->value, std::string("axc"));
        QCOMPARE(b.f.prompt.beeps, 0);

        w->setCursorPosition(3);  // at the end a fourth character is appended: refused
        QTest::keyClicks(w, "y");
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(b.f.prompt.beeps, 1);

        QSignalSpy insert(&b.view, &FormPageView::insertModeChanged);
        QTest::keyClick(w, Qt::Key_Insert);
        QCOMPARE(insert.count(), 1);
        QVERIFY(b.view.insertMode());
        w->setCursorPosition(1);
        QTest::keyClicks(w, "z");
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(b.f.prompt.beeps, 2);

        // A paste that makes the text too long leaves the text as it was, silently.
        QApplication::clipboard()->setText("12345");
        w->setCursorPosition(0);
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w->text(), QString("axc"));
        QCOMPARE(e.field->value, std::string("axc"));
        QCOMPARE(b.f.prompt.beeps, 2);

        QTest::keyClick(w, Qt::Key_Backspace);  // at 0: nothing to erase
        w->setCursorPosition(3);
        QTest::keyClick(w, Qt::Key_Backspace);
        QCOMPARE(e.field->value, std::string("ax"));
        QVERIFY(b.f.prompt.entries.empty());
    }

    void filterRefusesALetter() {
        Bed b;
        FormControl& e = b.place(b.f.edit(1));
        FormControl& label = b.f.add(ControlKind::Label, 0, "Postnummer");
        label.rect = PixelRect{0, e.rect.y, 4, 20};  // left of the field, on its row
        b.show();
        QLineEdit* w = b.line(e);
        QCOMPARE(w->accessibleName(), QString("Postnummer"));
        w->setFocus();
        QTest::keyClicks(w, "1a2");
        QCOMPARE(w->text(), QString("12"));
        QCOMPARE(e.field->value, std::string("12"));
        QCOMPARE(b.f.prompt.beeps, 1);
        QVERIFY(b.f.prompt.entries.empty());
    }

    void failedFinalCheckKeepsTheFocus() {
        Bed b;
        FormControl& first = b.place(b.f.edit(0, limits(none, 3, none, none)));
        FormControl& second = b.place(b.f.edit());
        b.show();
        QLineEdit* w = b.line(first);
        w->setFocus();
        QTest::keyClicks(w, "ab");
        QTest::keyClick(w, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(b.f.prompt.texts(),
                 std::vector<std::string>{"För få tecken har matats in.\nMin antal tecken = 3."});
        QCOMPARE(b.f.prompt.entries[0].kind, MessageKind::Stop);
        QCOMPARE(QApplication::focusWidget(), w);
        QCOMPARE(w->text(), QString("ab"));

        QTest::keyClicks(w, "c");
        QTest::keyClick(w, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), b.view.widgetOf(second));
        QCOMPARE(b.f.prompt.entries.size(), std::size_t{1});
    }

    void tabSkipsLabelsFramesAndPicturesAndWraps() {
        Bed b;
        b.place(b.f.add(ControlKind::Label, 0, "Namn"));
        FormControl& edit = b.place(b.f.edit());
        b.place(b.f.add(ControlKind::Frame, 0, "Ram"));
        FormControl& button = b.place(b.f.add(ControlKind::Button, 0, "Knapp"));
        b.place(b.f.add(ControlKind::Picture, 0, "bild.bmp"));
        FormControl& hidden = b.place(b.f.edit());
        hidden.visible = false;
        FormControl& box = b.place(b.f.checkBox());
        b.show();
        QCOMPARE(b.view.focusList().size(), std::size_t{4});

        const auto tab = [&](bool back) {
            QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
            return QApplication::focusWidget();
        };
        b.view.widgetOf(edit)->setFocus();
        QCOMPARE(tab(false), b.view.widgetOf(button));
        QCOMPARE(tab(false), b.view.widgetOf(box));   // the hidden field is passed over
        QCOMPARE(tab(false), b.view.widgetOf(edit));  // from the last to the first
        QCOMPARE(tab(true), b.view.widgetOf(box));    // from the first back to the last
    }

    void ruleHidesAndShowsAControl() {
        Bed b;
        FormControl& box = b.place(b.f.checkBox());
        FormControl& edit = b.place(b.f.edit());
        b.f.rule(&box, 55, {HandBuiltForm::act(61, &edit)}, nullptr, "J");
        b.f.rule(&box, 55, {HandBuiltForm::act(60, &edit)}, nullptr, "N");
        b.show();
        QSignalSpy modified(&b.view, &FormPageView::documentModified);
        auto* check = qobject_cast<QCheckBox*>(b.view.widgetOf(box));
        QVERIFY(check && !b.view.widgetOf(edit)->isHidden());

        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(box.field->value, std::string("J"));
        QVERIFY(b.view.widgetOf(edit)->isHidden());
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(!b.view.widgetOf(edit)->isHidden());
        QCOMPARE(modified.count(), 1);

        // A hidden control is built hidden when its page comes again.
        QTest::mouseClick(check, Qt::LeftButton);
        b.view.showPage(b.f.form, *b.ui, 0, nullptr);
        QVERIFY(b.view.widgetOf(edit)->isHidden());
    }
};

QTEST_MAIN(FormPageViewTest)
#include "FormPageViewTest.moc"
