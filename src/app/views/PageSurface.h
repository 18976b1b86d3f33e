#pragma once

#include <QPoint>
#include <QWidget>

namespace loom {

class FormPageView;

// The widget that holds the controls of the page shown, as large as the page's scroll
// size. Tab and Shift+Tab inside it follow the page's focus list; pressing the mouse on
// its background drags the page. It draws the page's difference markers.
class PageSurface final : public QWidget {
  public:
    PageSurface(FormPageView& view, QWidget* parent);

  protected:
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The background with the difference markers.
    void paintEvent(QPaintEvent* event) override;

  private:
    FormPageView& view_;
    bool dragging_ = false;
    QPoint last_;  // global position
};

}  // namespace loom
