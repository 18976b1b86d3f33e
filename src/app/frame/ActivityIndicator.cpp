#include "frame/ActivityIndicator.h"

#include <QPainter>
#include <QtMath>

namespace loom {
namespace {

// Frame 0: a resting dish; frames 1-11: a dot circling round it, a tail fading behind.
QPixmap drawActivityFrame(int index, const QColor& face) {
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(ActivityIndicator::kFrameSize, ActivityIndicator::kFrameSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(face);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(12.5, 12.5);
    p.setPen(QPen(QColor(90, 110, 140), 1.4));
    p.setBrush(QColor(214, 222, 234));
    p.drawEllipse(centre, 8.5, 8.5);
    if (index == 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 140, 170));
        p.drawEllipse(centre, 2.5, 2.5);
        return pixmap;
    }
    const int steps = ActivityIndicator::kFrameCount - 1;
    for (int tail = 3; tail >= 0; --tail) {
        const qreal angle = 2 * M_PI * (index - 1 - tail) / steps - M_PI / 2;
        const QPointF dot(centre.x() + 6.0 * qCos(angle), centre.y() + 6.0 * qSin(angle));
        QColor colour(30, 110, 200);
        colour.setAlphaF(1.0f - static_cast<float>(tail) * 0.25f);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(dot, 2.4 - tail * 0.3, 2.4 - tail * 0.3);
    }
    return pixmap;
}

}  // namespace

ActivityIndicator::ActivityIndicator(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setEnabled(false);
    setAccessibleName(QStringLiteral("Aktivitet"));
    const QColor face = palette().color(QPalette::Button);
    for (int i = 0; i < kFrameCount; ++i)
        pictures_.push_back(drawActivityFrame(i, face));
    setFixedSize(sizeHint());
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frames_.tick();
        update();
    });
}

QSize ActivityIndicator::sizeHint() const {
    const int edge = frameWidth();
    return {kFrameSize + 2 * edge, kFrameSize + 2 * edge};
}

void ActivityIndicator::start() {
    if (!frames_.start()) return;
    timer_.start();
    update();
}

void ActivityIndicator::stop() {
    timer_.stop();
    frames_.stop();
    update();
}

void ActivityIndicator::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const int index = frames_.frame() < static_cast<int>(pictures_.size()) ? frames_.frame() : 0;
    p.drawPixmap(contentsRect().topLeft(), pictures_[static_cast<std::size_t>(index)]);
}

}  // namespace loom
