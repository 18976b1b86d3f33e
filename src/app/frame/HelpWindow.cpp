#include "frame/HelpWindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "frame/CommandIcons.h"

namespace loom {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Loomcraft – hjälp"));
    auto* browser = new QTextBrowser(this);
    browser->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    browser->setAccessibleName(QStringLiteral("Hjälptext"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Stäng"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    resize(48 * em, 36 * fontMetrics().height());
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Om Harvik Loomcraft"));
    auto* picture = new QLabel(this);
    picture->setPixmap(programPicture(64));
    picture->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(QStringLiteral("<b>Harvik Loomcraft</b><br>Version %1<br><br>"
                                           "Programmering av larmcentraler.")
                                .arg(QStringLiteral(LOOM_VERSION)),
                            this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(fontMetrics().height());
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace loom
