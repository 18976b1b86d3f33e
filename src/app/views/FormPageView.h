#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

#include <memory>
#include <unordered_map>
#include <vector>

#include "template/FormView.h"
#include "views/DifferenceMarkers.h"

namespace loom {

class BitmapLookup;
class FieldCaptions;
class Form;
class FormInteraction;
class PageSurface;
class UserPrompt;

// The right pane: one page of the loaded template as real widgets on a scrolling
// surface. It does not own the document or the form: the frame calls showPage when the
// document shows a page and templateGoing before the form is destroyed. What the user
// does goes to the form's interaction, which checks it and tells this view (as the
// form's FormView) what to show.
class FormPageView final : public QAbstractScrollArea, public FormView {
    Q_OBJECT

  public:
    explicit FormPageView(UserPrompt& prompt, QWidget* parent = nullptr);
    ~FormPageView() override;

    // Builds the widgets of `page` (the form's shown page), scrolls to the origin and lets
    // the interaction report the page shown. `pictures` may be null.
    void showPage(Form& form, FormInteraction& interaction, int page, BitmapLookup* pictures);
    // Destroys the widgets of the page shown (their values stay in the form).
    void clearPage();
    // The form is about to be destroyed: no page, nothing kept of it, no template.
    void templateGoing();
    // Button-face background with a template, the workspace colour without.
    void setTemplateLoaded(bool loaded);
    bool templateLoaded() const { return templateLoaded_; }
    int shownPage() const { return page_; }

    // Typing inserts (true, the start) or overwrites the character after the caret.
    bool insertMode() const { return insertMode_; }
    void setInsertMode(bool on);
    void toggleInsertMode() { setInsertMode(!insertMode_); }

    // Tab (backwards: Shift+Tab) through the page's focusable controls, wrapping, with the
    // control scrolled into view.
    void focusNext(bool backwards);
    // The widget of a control of the page shown; null when it has none.
    QWidget* widgetOf(const FormControl& control) const;
    const std::vector<QWidget*>& focusList() const { return focusList_; }
    // Gives the control's widget the focus and scrolls it into view (when it can take it).
    void focusField(const FormControl& control);

    // The difference markers of the page shown (the document's marks for it); a page
    // change drops them.
    void setDifferenceMarks(std::vector<DifferenceMark> marks);
    // Where they are drawn now, in page pixels.
    std::vector<QRect> markerRects() const { return markers_.rects(); }
    void paintMarkers(QPainter& painter) const { markers_.paint(painter); }

    // For the widgets of the page.
    void beep();
    void dragBy(const QPoint& from, const QPoint& to);

    // FormView.
    void showControl(const FormControl& control) override;
    void enableControl(const FormControl& control) override;
    void showText(const FormControl& control) override;
    void showValue(const FormControl& control) override;
    void focus(const FormControl& control) override;
    void systemModified() override;

  signals:
    // The first value entry since the values were last saved.
    void documentModified();
    void insertModeChanged(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* createWidget(FormControl& control, BitmapLookup* pictures);
    void connectButton(FormControl& control, QWidget* widget);
    void watch(QObject* object, FormControl& control);
    QString accessibleNameOf(const FormControl& control) const;
    void focusIn(QWidget* widget, FormControl& control, Qt::FocusReason reason);
    void focusOut(QWidget* widget, FormControl& control, Qt::FocusReason reason);
    void updateScrollBars();
    void scrollTo(int x, int y);
    void scrollIntoView(QWidget* widget);
    int comboHeight();

    UserPrompt& prompt_;
    Form* form_ = nullptr;
    FormInteraction* interaction_ = nullptr;
    int page_ = -1;
    bool templateLoaded_ = false;
    bool insertMode_ = true;
    bool clearing_ = false;
    QPointer<QWidget> restoring_;  // an edit field that failed its check gets the focus back
    PageSurface* surface_ = nullptr;
    QSize total_;
    std::unordered_map<const FormControl*, QWidget*> widgets_;
    std::unordered_map<const QObject*, FormControl*> controls_;
    std::vector<QWidget*> focusList_;
    std::unique_ptr<FieldCaptions> captions_;  // of form_, made once per template
    const Form* captionsOf_ = nullptr;
    int comboHeight_ = 0;
    DifferenceMarkers markers_;
};

}  // namespace loom
