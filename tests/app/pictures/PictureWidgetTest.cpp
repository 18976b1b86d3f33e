// Picture controls as the form shows them: the template's bitmap stretched over the whole
// client area, nothing while disabled, and a refused file's message at load time.
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
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateWriter.h"
#include "template/TreeOutline.h"

namespace loom {

class PictureWidgetTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kTopLeft = 0xFFFF0000, kTopRight = 0xFF00FF00, kBottomLeft = 0xFF0000FF,
                          kBottomRight = 0xFFFFFF00;

    QTemporaryDir dir_;
    LocalFileSystem files_;
    test::RecordingPrompt prompt_;
    std::unique_ptr<BitmapCache> cache_;
    std::unique_ptr<Form> form_;

    void write(const QString& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(dir_.filePath("PICTURES/" + name).toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // A page of picture controls loaded as the program loads a template.
    void load(const std::vector<std::string>& names) {
        TreeOutline tree;
        EventTexts events;
        FormRules rules;
        cache_ = std::make_unique<BitmapCache>(files_, prompt_);
        ParserEnvironment env{tree,
                              events,
                              rules,
                              prompt_,
                              DialogUnits{8, 16, 2, 2},
                              cache_.get(),
                              dir_.path().toStdString()};
        TemplateWriter w;
        w.header("T", "T").page("P");
        for (const std::string& name : names) {
            RawControl c;
            c.tag = TemplateTag::Picture;
            c.text = name;
            c.rect = {0, 0, 30, 30};
            w.control(c);
        }
        w.pageEnd().end().rules({});
        const std::vector<std::uint8_t> bytes = w.finish();
        bool noErase = false;
        Parser parser;
        form_ = parser.LoadFromMemory(bytes, "t.FRM", env, noErase);
        QVERIFY(form_ != nullptr);
    }
    std::unique_ptr<QWidget> widget(int index) {
        auto w = std::unique_ptr<QWidget>(
            createPictureWidget(cache_.get(), *form_->page(0).allControls.at(index), nullptr));
        w->resize(64, 48);
        return w;
    }
    // The four inside corners of the client area, clockwise from the top left.
    static std::vector<QRgb> corners(QWidget& w) {
        const QImage shot = w.grab().toImage();
        const int e = PictureWidget::kEdge, right = shot.width() - 1 - e,
                  bottom = shot.height() - 1 - e;
        return {shot.pixel(e, e), shot.pixel(right, e), shot.pixel(right, bottom),
                shot.pixel(e, bottom)};
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath("PICTURES"));
        prompt_.entries.clear();
        test::BitmapBytes b(2, 2, 24);
        b.rows = {test::BitmapBytes::row24({kBottomLeft & 0xFFFFFF, kBottomRight & 0xFFFFFF}),
                  test::BitmapBytes::row24({kTopLeft & 0xFFFFFF, kTopRight & 0xFFFFFF})};
        write("four.bmp", b.bytes());
        b.headerSize = 12;
        write("core.bmp", b.bytes());
    }

    void stretchesTheWholeBitmapOverTheClientArea() {
        load({"four.bmp"});
        auto w = widget(0);
        QCOMPARE(corners(*w), (std::vector<QRgb>{kTopLeft, kTopRight, kBottomRight, kBottomLeft}));
    }

    void aDisabledPicturePaintsOnlyTheBackground() {
        load({"four.bmp"});
        auto w = widget(0);
        w->setEnabled(false);
        const QImage shot = w->grab().toImage();
        for (int y = PictureWidget::kEdge; y < shot.height() - PictureWidget::kEdge; ++y)
            for (int x = PictureWidget::kEdge; x < shot.width() - PictureWidget::kEdge; ++x)
                QVERIFY(shot.pixel(x, y) != kTopLeft && shot.pixel(x, y) != kBottomRight);
    }

    void aRefusedFileShowsItsMessageAndLeavesTheControlEmpty() {
        load({"core.bmp", "four.bmp", "core.bmp"});
        // Tried again for the second control that names it, with its message again.
        QCOMPARE(prompt_.texts(),
                 (std::vector<std::string>{"AttachMemory error", "AttachMemory error"}));
        auto refused = widget(0);
        QVERIFY(!static_cast<PictureWidget*>(refused.get())->hasPicture());
        QVERIFY(corners(*refused) != corners(*widget(1)));
    }
};

}  // namespace loom

QTEST_MAIN(loom::PictureWidgetTest)
#include "PictureWidgetTest.moc"
