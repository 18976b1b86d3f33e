#include "views/PageSurface.h"

#include <QMouseEvent>
#include <QPainter>

#include "views/FormPageView.h"

namespace loom {

PageSurface::PageSurface(FormPageView& view, QWidget* parent) : QWidget(parent), view_(view) {}

bool PageSurface::focusNextPrevChild(bool next) {
    view_.focusNext(!next);
    return true;
}

void PageSurface::mousePressEvent(QMouseEvent* event) {
    // Only the background drags: a press a control did not take stays with it.
    if (event->button() != Qt::LeftButton || !view_.templateLoaded() ||
        childAt(event->position().toPoint()) != nullptr) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    last_ = event->globalPosition().toPoint();
    setCursor(Qt::SizeAllCursor);
}

void PageSurface::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint now = event->globalPosition().toPoint();
    view_.dragBy(last_, now);
    last_ = now;
}

void PageSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    unsetCursor();
}

void PageSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    view_.paintMarkers(painter);
}

}  // namespace loom
