#pragma once

#include <QFrame>
#include <QPixmap>
#include <QTimer>
#include <vector>

#include "document/CommandTable.h"

namespace loom {

// The toolbar's activity indicator: twelve 25 x 25 frames, frame 0 the idle picture, the
// others a turning wheel shown every 500 ms while a transfer runs.
class ActivityIndicator final : public QFrame {
  public:
    static constexpr int kFrameSize = 25;
    static constexpr int kFrameCount = 12;

    explicit ActivityIndicator(QWidget* parent = nullptr);
    void start();
    void stop();
    int frame() const { return frames_.frame(); }
    bool running() const { return frames_.running(); }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ActivityFrames frames_{kFrameCount};
    std::vector<QPixmap> pictures_;
    QTimer timer_;
};

}  // namespace loom
