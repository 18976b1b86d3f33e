#include "views/FormPageView.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

#include "QtText.h"
#include "pictures/PictureFactory.h"
#include "platform/UserPrompt.h"
#include "template/FieldCaptions.h"
#include "template/FocusOrder.h"
#include "template/Form.h"
#include "template/FormInteraction.h"
#include "template/PageGeometry.h"
#include "views/FormComboBox.h"
#include "views/FormLineEdit.h"
#include "views/FormTextEdit.h"
#include "views/PageSurface.h"
#include "views/WholeRectButton.h"

namespace loom {
namespace {

constexpr int kLargestSize = QWIDGETSIZE_MAX;

bool focusable(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
           kind == ControlKind::Edit || kind == ControlKind::Choice || kind == ControlKind::Option;
}

bool isButton(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
           kind == ControlKind::Option;
}

// A caption as a screen reader should say it: access-key markers gone.
QString withoutMnemonic(const std::string& text) {
    return toQt(withoutAccessKeys(text));
}

bool checkedValue(const FormControl& c) {
    return c.checkedBy(c.value());
}

EditFieldKeys* editKeys(QWidget* widget) {
    if (auto* line = dynamic_cast<FormLineEdit*>(widget)) return &line->keys();
    if (auto* text = dynamic_cast<FormTextEdit*>(widget)) return &text->keys();
    return nullptr;
}

}  // namespace

FormPageView::FormPageView(UserPrompt& prompt, QWidget* parent)
    : QAbstractScrollArea(parent), prompt_(prompt) {
    // A click on the background must not take the focus from a field (its check would run).
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Formulär"));
    viewport()->setAutoFillBackground(true);
    setTemplateLoaded(false);
}

FormPageView::~FormPageView() {
    clearing_ = true;
}

void FormPageView::setTemplateLoaded(bool loaded) {
    templateLoaded_ = loaded;
    viewport()->setBackgroundRole(loaded ? QPalette::Button : QPalette::Dark);
    if (!loaded) {
        clearPage();
        form_ = nullptr;
        captions_.reset();
        captionsOf_ = nullptr;
    }
}

void FormPageView::templateGoing() {
    setTemplateLoaded(false);
}

void FormPageView::setInsertMode(bool on) {
    if (insertMode_ == on) return;
    insertMode_ = on;
    emit insertModeChanged(on);
}

void FormPageView::beep() {
    prompt_.beep();
}

void FormPageView::clearPage() {
    clearing_ = true;
    restoring_ = nullptr;
    focusList_.clear();
    widgets_.clear();
    controls_.clear();
    if (surface_ != nullptr) {
        QWidget* focused = QApplication::focusWidget();
        if (focused != nullptr && surface_->isAncestorOf(focused)) focused->clearFocus();
        // Out of sight now, destroyed when the event that switched pages is done with.
        surface_->hide();
        surface_->deleteLater();
        surface_ = nullptr;
    }
    clearing_ = false;
    interaction_ = nullptr;
    page_ = -1;
    markers_.clear();
    total_ = QSize();
    updateScrollBars();
}

void FormPageView::showPage(Form& form, FormInteraction& interaction, int page,
                            BitmapLookup* pictures) {
    clearPage();
    setTemplateLoaded(true);
    if (form_ != &form) {
        captions_.reset();
        captionsOf_ = nullptr;
    }
    form_ = &form;
    interaction_ = &interaction;
    if (page < 0 || page >= form.pageCount()) return;
    page_ = page;
    // The interaction tells only the shown page's widgets.
    if (form.shownPage() != page) form.setShownPageIndex(page);
    if (captionsOf_ != &form) {
        captions_ = std::make_unique<FieldCaptions>(form);
        captionsOf_ = &form;
    }

    const PixelSize size = PageGeometry::scrollSize(&form, page);
    total_ = QSize(std::min(size.width, kLargestSize), std::min(size.height, kLargestSize));
    // Built out of sight and shown once: no widget is laid out or painted on its own.
    surface_ = new PageSurface(*this, viewport());
    surface_->resize(total_);
    for (FormControl* c : form.page(page).allControls) {
        if (c->kind == ControlKind::OptionGroup) continue;
        QWidget* w = createWidget(*c, pictures);
        if (w == nullptr) continue;
        const int height = c->kind == ControlKind::Choice ? comboHeight() : c->rect.height;
        w->setGeometry(c->rect.x, c->rect.y, std::clamp(c->rect.width, 0, kLargestSize),
                       std::clamp(height, 0, kLargestSize));
        if (!c->visible) w->hide();
        if (!c->windowEnabled()) w->setEnabled(false);
        w->setAccessibleName(accessibleNameOf(*c));
        widgets_[c] = w;
        watch(w, *c);
        if (auto* text = dynamic_cast<FormTextEdit*>(w)) watch(text->viewport(), *c);
        if (focusable(c->kind)) focusList_.push_back(w);
    }
    updateScrollBars();
    scrollTo(0, 0);
    surface_->move(0, 0);
    surface_->show();
    interaction.pageShown();
}

QWidget* FormPageView::createWidget(FormControl& c, BitmapLookup* pictures) {
    QWidget* parent = surface_;
    const QString text = toQt(c.text);
    switch (c.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::Frame: {
            auto* frame = new QGroupBox(text, parent);
            frame->setFocusPolicy(Qt::NoFocus);
            // A frame is drawn behind the controls it surrounds and lets their clicks through.
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            frame->lower();
            return frame;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            connectButton(c, button);
            return button;
        }
        case ControlKind::CheckBox: {
            auto* box = new WholeRectButton<QCheckBox>(text, parent);
            box->setChecked(checkedValue(c));
            connectButton(c, box);
            return box;
        }
        case ControlKind::Option: {
            auto* option = new WholeRectButton<QRadioButton>(text, parent);
            // The option group in the model decides which button is checked.
            option->setAutoExclusive(false);
            option->setChecked(checkedValue(c));
            connectButton(c, option);
            return option;
        }
        case ControlKind::Edit: {
            if (c.multiline) {
                auto* edit = new FormTextEdit(*this, c, *interaction_, parent);
                edit->keys().showModelText();
                return edit;
            }
            auto* edit = new FormLineEdit(*this, c, *interaction_, parent);
            edit->keys().showModelText();
            return edit;
        }
        case ControlKind::Choice: {
            auto* combo = new FormComboBox(parent);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            const auto& lists = form_->valueLists();
            if (c.valueList >= 0 && c.valueList < static_cast<int>(lists.size())) {
                QStringList entries;
                for (const auto& entry : lists[static_cast<std::size_t>(c.valueList)])
                    entries.append(toQt(entry.first));
                combo->addItems(entries);  // one insertion, not one per entry
            }
            combo->setCurrentIndex(c.selected < combo->count() ? c.selected : -1);
            FormControl* control = &c;
            connect(combo, &QComboBox::activated, this, [this, control](int index) {
                if (interaction_ != nullptr && index != control->selected)
                    interaction_->choiceSelected(*control, index);
            });
            return combo;
        }
        case ControlKind::Picture:
            return createPictureWidget(pictures, c, parent);
        case ControlKind::OptionGroup:
            break;
    }
    return nullptr;
}

void FormPageView::connectButton(FormControl& c, QWidget* widget) {
    auto* button = static_cast<QAbstractButton*>(widget);
    button->setFocusPolicy(Qt::StrongFocus);
    FormControl* control = &c;
    connect(button, &QAbstractButton::clicked, this, [this, control, button](bool checked) {
        if (interaction_ == nullptr) return;
        interaction_->clicked(*control);
        if (control->kind == ControlKind::CheckBox) {
            interaction_->checkBoxToggled(*control, checked);
        } else if (control->kind == ControlKind::Option) {
            if (!checkedValue(*control)) interaction_->optionClicked(*control);
            button->setChecked(checkedValue(*control));
        }
    });
}

void FormPageView::watch(QObject* object, FormControl& control) {
    object->installEventFilter(this);
    controls_[object] = &control;
}

QString FormPageView::accessibleNameOf(const FormControl& c) const {
    switch (c.kind) {
        case ControlKind::Edit:
        case ControlKind::Choice: {
            const FieldCaption* caption =
                captions_ && c.field != nullptr ? captions_->find(c.field->address) : nullptr;
            if (caption != nullptr && !caption->caption.empty())
                return withoutMnemonic(caption->caption);
            return c.kind == ControlKind::Edit ? QStringLiteral("Textfält")
                                               : QStringLiteral("Vallista");
        }
        case ControlKind::Picture:
            return QStringLiteral("Bild");
        case ControlKind::Label:
            return toQt(c.text);
        default:
            return withoutMnemonic(c.text);
    }
}

int FormPageView::comboHeight() {
    if (comboHeight_ == 0) comboHeight_ = QComboBox().sizeHint().height();
    return comboHeight_;
}

QWidget* FormPageView::widgetOf(const FormControl& control) const {
    const auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

bool FormPageView::eventFilter(QObject* watched, QEvent* event) {
    if (clearing_ || interaction_ == nullptr) return false;
    const auto it = controls_.find(watched);
    if (it == controls_.end()) return false;
    FormControl& c = *it->second;
    switch (event->type()) {
        case QEvent::FocusIn:
            focusIn(static_cast<QWidget*>(watched), c, static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::FocusOut:
            focusOut(static_cast<QWidget*>(watched), c, static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                interaction_->rightClicked(c);
            } else if (mouse->button() == Qt::LeftButton && !isButton(c.kind)) {
                interaction_->clicked(c);  // buttons report through their clicked signal
            }
            break;
        }
        default:
            break;
    }
    return false;
}

void FormPageView::focusIn(QWidget* widget, FormControl& c, Qt::FocusReason reason) {
    // Coming back from a menu or another window is no new visit of the field.
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (restoring_ != nullptr && restoring_ != widget) return;
    interaction_->focusGained(c);
}

void FormPageView::focusOut(QWidget* widget, FormControl& c, Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (restoring_ != nullptr) return;  // the focus passes through on its way back
    if (interaction_->focusLost(c)) return;
    // The check failed (its message is shown): the field keeps the focus. Qt moves the
    // focus after this event, so it is given back once that is done.
    restoring_ = widget;
    QTimer::singleShot(0, widget, [this, widget] {
        if (widget->isVisible() && widget->isEnabled()) widget->setFocus(Qt::OtherFocusReason);
        restoring_ = nullptr;
    });
}

void FormPageView::focusField(const FormControl& control) {
    QWidget* w = widgetOf(control);
    if (w == nullptr || !w->isVisibleTo(surface_) || !w->isEnabled()) return;
    w->setFocus(Qt::OtherFocusReason);
    // Only a field whose start is out of sight moves the page: the labels to the left of
    // a long field stay in view.
    if (!viewport()->rect().contains(w->mapTo(viewport(), QPoint(0, 0)))) scrollIntoView(w);
}

void FormPageView::setDifferenceMarks(std::vector<DifferenceMark> marks) {
    if (markers_.empty() && marks.empty()) return;
    markers_.set(std::move(marks));
    if (surface_ != nullptr) surface_->update();
}

void FormPageView::focusNext(bool backwards) {
    if (surface_ == nullptr) return;
    const auto found = std::find(focusList_.begin(), focusList_.end(), QApplication::focusWidget());
    const int current =
        found == focusList_.end() ? -1 : static_cast<int>(found - focusList_.begin());
    const auto canTake = [this](int i) {
        const QWidget* w = focusList_[static_cast<std::size_t>(i)];
        return w->isVisibleTo(surface_) && w->isEnabled();
    };
    const int count = static_cast<int>(focusList_.size());
    const int next = backwards ? FocusOrder::previous(count, current, canTake)
                               : FocusOrder::next(count, current, canTake);
    if (next < 0) return;
    QWidget* w = focusList_[static_cast<std::size_t>(next)];
    w->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    scrollIntoView(w);
}

void FormPageView::scrollIntoView(QWidget* widget) {
    const QPoint at = widget->mapTo(viewport(), QPoint(0, 0));
    const auto target = PageGeometry::scrollIntoView(
        PixelRect{at.x(), at.y(), widget->width(), widget->height()},
        PixelSize{viewport()->width(), viewport()->height()},
        PixelPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()},
        PixelPoint{horizontalScrollBar()->maximum(), verticalScrollBar()->maximum()});
    if (target) scrollTo(target->x, target->y);
}

void FormPageView::dragBy(const QPoint& from, const QPoint& to) {
    const auto target = PageGeometry::dragScroll(
        PixelPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()},
        PixelPoint{from.x(), from.y()}, PixelPoint{to.x(), to.y()},
        PixelPoint{horizontalScrollBar()->maximum(), verticalScrollBar()->maximum()});
    if (target) scrollTo(target->x, target->y);
}

void FormPageView::scrollTo(int x, int y) {
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void FormPageView::updateScrollBars() {
    const PixelSize client{viewport()->width(), viewport()->height()};
    const PixelPoint maximum =
        PageGeometry::maximumScroll(PixelSize{total_.width(), total_.height()}, client);
    const PixelSize page = PageGeometry::pageStep(client);
    const PixelSize line = PageGeometry::lineStep(client);
    horizontalScrollBar()->setRange(0, maximum.x);
    verticalScrollBar()->setRange(0, maximum.y);
    horizontalScrollBar()->setPageStep(std::max(1, page.width));
    verticalScrollBar()->setPageStep(std::max(1, page.height));
    horizontalScrollBar()->setSingleStep(std::max(1, line.width));
    verticalScrollBar()->setSingleStep(std::max(1, line.height));
}

void FormPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void FormPageView::scrollContentsBy(int, int) {
    if (surface_ != nullptr)
        surface_->move(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void FormPageView::keyPressEvent(QKeyEvent* event) {
    // PgUp and PgDn are the frame's page commands, not a scroll.
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- FormView ----

void FormPageView::showControl(const FormControl& c) {
    QWidget* w = widgetOf(c);
    if (w == nullptr) return;
    w->setVisible(c.visible);
    // A marker goes and comes with its control.
    if (!markers_.empty()) surface_->update();
}

void FormPageView::enableControl(const FormControl& c) {
    if (QWidget* w = widgetOf(c)) w->setEnabled(c.windowEnabled());
}

void FormPageView::showText(const FormControl& c) {
    QWidget* w = widgetOf(c);
    if (w == nullptr) return;
    const QString text = toQt(c.text);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        frame->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (EditFieldKeys* keys = editKeys(w)) {
        keys->showModelText();
    }
}

void FormPageView::showValue(const FormControl& c) {
    QWidget* w = widgetOf(c);
    if (w == nullptr) return;
    if (EditFieldKeys* keys = editKeys(w)) {
        keys->showModelText();
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setCurrentIndex(c.selected < combo->count() ? c.selected : -1);
    } else if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::Option) {
        static_cast<QAbstractButton*>(w)->setChecked(checkedValue(c));
    }
}

void FormPageView::focus(const FormControl& c) {
    if (QWidget* w = widgetOf(c)) w->setFocus(Qt::OtherFocusReason);
}

void FormPageView::systemModified() {
    emit documentModified();
}

}  // namespace loom
