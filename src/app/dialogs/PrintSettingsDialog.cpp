#include "dialogs/PrintSettingsDialog.h"

#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinterInfo>
#include <QVBoxLayout>
#include <algorithm>

#include "context/AppContext.h"
#include "dialogs/DialogParts.h"
#include "dialogs/PrintFontConversion.h"
#include "platform/UserPrompt.h"

namespace loom {
namespace {

std::optional<QFont> showFontDialog(const QFont& current, QWidget* parent) {
    bool ok = false;
    // Qt's own dialog everywhere: it offers underline and strikeout, which some
    // platforms' font choosers leave out.
    const QFont font = QFontDialog::getFont(&ok, current, parent, QStringLiteral("Teckensnitt"),
                                            QFontDialog::DontUseNativeDialog);
    if (!ok) return std::nullopt;
    return font;
}

bool hasDefaultPrinter() {
    return !QPrinterInfo::defaultPrinter().isNull();
}

// A number edit wide enough for "200" and some room, followed by "mm".
QLineEdit* numberRow(QGridLayout* grid, int row, const QString& caption, int value,
                     QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    QLineEdit* edit = dialogparts::edit(label, parent, false);
    edit->setText(QString::number(value));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                        4 * edit->fontMetrics().averageCharWidth());
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), parent), row, 2);
    return edit;
}

}  // namespace

PrintSettingsDialog::PrintSettingsDialog(SettingsStore& settings, UserPrompt& prompt,
                                         QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      prompt_(prompt),
      marginValue_(settings_.margin()),
      columnValue_(settings_.column()),
      chooseFont_(showFontDialog),
      hasPrinter_(hasDefaultPrinter) {
    setWindowTitle(QStringLiteral("Inställningar för utskrift"));

    auto* margins = new QGroupBox(QStringLiteral("Marginaler"), this);
    auto* grid = new QGridLayout(margins);
    margin_ = numberRow(grid, 0, QStringLiteral("&Vänstermarginal"), marginValue_, margins);
    column_ = numberRow(grid, 1, QStringLiteral("&Kolumnbredd"), columnValue_, margins);
    grid->setRowStretch(2, 1);

    auto* fonts = new QGroupBox(QStringLiteral("Typsnitt"), this);
    auto* fontColumn = new QVBoxLayout(fonts);
    const std::pair<PrintFont, QString> buttons[] = {
        {PrintFont::Heading, QStringLiteral("&Rubrik...")},
        {PrintFont::Subheading, QStringLiteral("&Underrubrik...")},
        {PrintFont::Text, QStringLiteral("&Text...")},
    };
    // One width for the three, with room around the longest caption.
    int widest = 0;
    for (const auto& [font, caption] : buttons)
        widest =
            std::max(widest, fontMetrics().horizontalAdvance(dialogparts::plainCaption(caption)));
    for (const auto& [font, caption] : buttons) {
        QPushButton* button = dialogparts::button(caption, fonts);
        button->setMinimumWidth(widest + 4 * fontMetrics().averageCharWidth());
        connect(button, &QPushButton::clicked, this, [this, font] { chooseFont(font); });
        fontColumn->addWidget(button);
        fontButtons_[static_cast<int>(font)] = button;
    }

    auto* groups = new QHBoxLayout;
    groups->addWidget(margins);
    groups->addWidget(fonts);
    QDialogButtonBox* box = dialogparts::okCancel(this);
    connect(box, &QDialogButtonBox::accepted, this, &PrintSettingsDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    margin_->selectAll();
    margin_->setFocus();
}

void PrintSettingsDialog::chooseFont(PrintFont font) {
    if (!hasPrinter_()) {
        prompt_.show(MessageId::CannotCreateFonts);
        return;
    }
    const std::optional<QFont> chosen =
        chooseFont_(fontFromDescription(storedPrintFont(settings_, font)), this);
    if (chosen) settings_.setPrintFont(font, descriptionOfFont(*chosen).format());
}

std::optional<int> PrintSettingsDialog::typedNumber(QLineEdit* edit, std::string_view name) {
    const IntegerRange range = *integerRange(name);
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok && value >= range.low && value <= range.high) return value;
    prompt_.show(MessageId::IntegerOutOfRange, {std::int64_t{range.low}, std::int64_t{range.high}});
    edit->selectAll();
    edit->setFocus();
    return std::nullopt;
}

void PrintSettingsDialog::accept() {
    const std::optional<int> margin = typedNumber(margin_, setting::kMargin);
    if (!margin) return;
    const std::optional<int> column = typedNumber(column_, setting::kColumn);
    if (!column) return;
    marginValue_ = *margin;
    columnValue_ = *column;
    QDialog::accept();
}

void PrintSettingsDialog::done(int result) {
    // Cancel writes back what was read at opening, which leaves the settings as they were.
    settings_.setColumn(columnValue_);
    settings_.setMargin(marginValue_);
    QDialog::done(result);
}

void runPrintSettings(AppContext& context, QWidget* parent) {
    PrintSettingsDialog dialog(context.settings(), context.prompt(), parent);
    dialog.exec();
}

}  // namespace loom
