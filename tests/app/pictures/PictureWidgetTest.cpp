// Picture controls as the form shows them: the template's bitmap stretched over the whole
// client area, and only the background while disabled or without a bitmap.
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "pictures/PictureFactory.h"
#include "pictures/PictureWidget.h"
#include "platform/FileSystem.h"
#include "support/BitmapBytes.h"
#include "support/RecordingPrompt.h"
#include "template/BitmapCache.h"
#include "template/FormControl.h"

namespace loom {

class PictureWidgetTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kTopLeft = 0xFFFF0000, kTopRight = 0xFF00FF00, kBottomLeft = 0xFF0000FF,
                          kBottomRight = 0xFFFFFF00;

    // The four inside corners of the client area, clockwise from the top left.
    static std::vector<QRgb> corners(QWidget& w) {
        const QImage shot = w.grab().toImage();
        const int e = PictureWidget::kEdge, right = shot.width() - 1 - e,
                  bottom = shot.height() - 1 - e;
        return {shot.pixel(e, e), shot.pixel(right, e), shot.pixel(right, bottom),
                shot.pixel(e, bottom)};
    }

  private slots:
    void stretchesTheBitmapOverTheClientAreaUnlessDisabled() {
        QTemporaryDir dir;
        test::BitmapBytes b(2, 2, 24);
        b.rows = {test::BitmapBytes::row24({kBottomLeft & 0xFFFFFF, kBottomRight & 0xFFFFFF}),
                  test::BitmapBytes::row24({kTopLeft & 0xFFFFFF, kTopRight & 0xFFFFFF})};
        const std::vector<std::uint8_t> bytes = b.bytes();
        const std::string path = dir.filePath(QStringLiteral("four.bmp")).toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        LocalFileSystem files;
        test::RecordingPrompt prompt;
        BitmapCache cache(files, prompt);
        QVERIFY(cache.find("four.bmp", path));
        FormControl control;
        control.kind = ControlKind::Picture;
        control.caption = "four.bmp";
        std::unique_ptr<QWidget> w(createPictureWidget(&cache, control, nullptr));
        w->resize(64, 48);
        QCOMPARE(corners(*w), (std::vector<QRgb>{kTopLeft, kTopRight, kBottomRight, kBottomLeft}));

        w->setEnabled(false);
        const std::vector<QRgb> background = corners(*w);
        QCOMPARE(background, std::vector<QRgb>(4, background.front()));
        QVERIFY(background.front() != kTopLeft);

        // A bitmap the cache refused: the control is there, empty.
        control.caption = "refused.bmp";
        std::unique_ptr<QWidget> empty(createPictureWidget(&cache, control, nullptr));
        empty->resize(64, 48);
        QVERIFY(!static_cast<PictureWidget*>(empty.get())->hasPicture());
        const std::vector<QRgb> nothing = corners(*empty);
        QCOMPARE(nothing, std::vector<QRgb>(4, nothing.front()));
        QVERIFY(prompt.entries.empty());
    }
};

}  // namespace loom

QTEST_MAIN(loom::PictureWidgetTest)
#include "PictureWidgetTest.moc"
