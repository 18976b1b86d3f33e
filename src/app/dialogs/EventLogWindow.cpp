#include "dialogs/EventLogWindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "QtText.h"
#include "datafile/LabelTable.h"
#include "dialogs/DialogParts.h"
#include "dialogs/EventLogDelegate.h"
#include "dialogs/EventLogPrinter.h"
#include "eventlog/LogCsv.h"
#include "eventlog/LogPageLayout.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

QLabel* label(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setBuddy(buddy);
    buddy->setAccessibleName(dialogparts::plainCaption(caption));
    return l;
}

constexpr char kPdfFilter[] = "PDF (*.pdf)";
constexpr char kCsvFilter[] = "CSV (*.csv)";

}  // namespace

EventLogWindow::EventLogWindow(UserPrompt& prompt, FileSystem& files,
                               const std::filesystem::path& logFile, const EventTexts& events,
                               const LabelTable& labels, const PromImage* image, QWidget* parent)
    : QDialog(parent), prompt_(prompt), files_(files), logFile_(logFile) {
    setWindowTitle(QStringLiteral("Händelselogg"));
    setModal(true);
    model_.load(files, logFile, events, image, labels);
    buildControls();
    for (const std::string& name : EventLogModel::eventNameChoices(events))
        events_->addItem(toQt(name));
    for (const std::string& user : EventLogModel::userChoices(labels))
        users_->addItem(toQt(user));
    users_->setCurrentIndex(-1);
    delegate_->measure();
    showEntries();
    // Room for several entries at once, within the screen.
    const QFontMetrics metrics(EventLogPrinter::regularFont());
    QSize size =
        sizeHint().expandedTo(QSize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 30));
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
    list_->setFocus();
}

void EventLogWindow::buildControls() {
    events_ = new QComboBox(this);
    events_->setMinimumContentsLength(20);
    events_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    users_ = new QComboBox(this);
    users_->setEditable(true);
    users_->setInsertPolicy(QComboBox::NoInsert);
    users_->setMinimumContentsLength(20);
    users_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    users_->lineEdit()->setMaxLength(static_cast<int>(EventLogFilter::kUserLength));
    freeText_ = new QLineEdit(this);
    freeText_->setMaxLength(static_cast<int>(EventLogFilter::kFreeTextLength));
    freeText_->setToolTip(QStringLiteral("Ord åtskilda med ;"));
    from_ = new QLineEdit(this);
    to_ = new QLineEdit(this);
    for (QLineEdit* date : {from_, to_}) {
        date->setMaxLength(static_cast<int>(EventLogFilter::kDateLength));
        date->setPlaceholderText(QStringLiteral("ÅÅMMDD"));
        // Room for the six characters and the hint.
        const QFontMetrics metrics = date->fontMetrics();
        date->setMinimumWidth(std::max(metrics.horizontalAdvance(QStringLiteral("000000")),
                                       metrics.horizontalAdvance(date->placeholderText())) +
                              metrics.averageCharWidth() * 3);
    }
    search_ = dialogparts::button(QStringLiteral("&Sök"), this);
    search_->setDefault(true);
    clear_ = dialogparts::button(QStringLiteral("Tö&m"), this);

    auto* criteria = new QGridLayout;
    criteria->addWidget(label(QStringLiteral("&Larm:"), events_, this), 0, 0);
    criteria->addWidget(events_, 0, 1);
    criteria->addWidget(label(QStringLiteral("&Användare:"), users_, this), 0, 2);
    criteria->addWidget(users_, 0, 3, 1, 3);
    criteria->addWidget(search_, 0, 6);
    criteria->addWidget(label(QStringLiteral("&Fritext:"), freeText_, this), 1, 0);
    criteria->addWidget(freeText_, 1, 1);
    criteria->addWidget(label(QStringLiteral("F&rån:"), from_, this), 1, 2);
    criteria->addWidget(from_, 1, 3);
    criteria->addWidget(label(QStringLiteral("&Till:"), to_, this), 1, 4);
    criteria->addWidget(to_, 1, 5);
    criteria->addWidget(clear_, 1, 6);
    criteria->setColumnStretch(1, 1);
    criteria->setColumnStretch(3, 1);
    criteria->setColumnStretch(5, 1);

    list_ = new QListWidget(this);
    list_->setAccessibleName(QStringLiteral("Händelser"));
    delegate_ = new EventLogDelegate(model_.entries(), list_);
    list_->setItemDelegate(delegate_);
    list_->setUniformItemSizes(false);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics entryMetrics(EventLogPrinter::regularFont());
    list_->setMinimumSize(entryMetrics.averageCharWidth() * 60, entryMetrics.lineSpacing() * 16);

    print_ = dialogparts::button(QStringLiteral("Skriv &ut"), this);
    save_ = dialogparts::button(QStringLiteral("S&para..."), this);
    close_ = dialogparts::button(QStringLiteral("Stä&ng"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print_);
    buttons->addWidget(save_);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(criteria);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(search_, &QPushButton::clicked, this, &EventLogWindow::search);
    connect(clear_, &QPushButton::clicked, this, &EventLogWindow::clearFields);
    connect(print_, &QPushButton::clicked, this, &EventLogWindow::print);
    connect(save_, &QPushButton::clicked, this, &EventLogWindow::chooseAndSave);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

void EventLogWindow::showEntries() {
    list_->clear();
    for (const std::size_t index : model_.shown()) {
        const LogEntry& entry = model_.entries()[index];
        QStringList lines;
        for (const std::string& line : entry.lines)
            lines << toQt(LogEntry::shownLine(line));
        auto* item = new QListWidgetItem(lines.join(QLatin1Char('\n')), list_);
        item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(index));
    }
    list_->scrollToTop();
    print_->setEnabled(model_.canPrint());
    save_->setEnabled(model_.canPrint());
}

void EventLogWindow::search() {
    EventLogFilter filter;
    filter.eventName = fromQt(events_->currentText());
    filter.user = fromQt(users_->currentText());
    filter.freeText = fromQt(freeText_->text());
    filter.from = fromQt(from_->text());
    filter.to = fromQt(to_->text());
    if (!model_.search(filter, prompt_)) return;
    showEntries();
}

void EventLogWindow::clearFields() {
    events_->setCurrentIndex(0);
    users_->setCurrentIndex(users_->count() > 0 ? 0 : -1);
    users_->setEditText(QString());
    freeText_->clear();
    from_->clear();
    to_->clear();
}

void EventLogWindow::print() {
    if (!model_.canPrint()) return;
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) return;
    QPrinter device(printer, QPrinter::HighResolution);
    device.setDocName(QString::fromLatin1(EventLogPrinter::kDocumentName));
    EventLogPrinter::paint(device, model_.entries(), model_.shown());
}

void EventLogWindow::chooseAndSave() {
    if (!model_.canPrint()) return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested =
        folder + QLatin1Char('/') + QStringLiteral("Logg ") + pathToQt(logFile_.stem());
    QString filter = QString::fromLatin1(kPdfFilter);
    const QString chosen = QFileDialog::getSaveFileName(
        this, QStringLiteral("Spara logg"), suggested,
        QString::fromLatin1(kPdfFilter) + QStringLiteral(";;") + QString::fromLatin1(kCsvFilter),
        &filter);
    if (chosen.isEmpty()) return;
    saveTo(chosen,
           filter == QLatin1String(kCsvFilter) ? LogExportFormat::Csv : LogExportFormat::Pdf);
}

bool EventLogWindow::saveTo(const QString& path, LogExportFormat filter) {
    std::filesystem::path target = pathFromQt(path);
    const LogExportFormat format = logExportTarget(target, filter);
    std::string error;
    bool saved = false;
    if (format == LogExportFormat::Csv) {
        saved = LogCsv::write(files_, target, model_.entries(), model_.shown(), error);
    } else {
        const QByteArray pdf = EventLogPrinter::pdf(model_.entries(), model_.shown());
        saved = !pdf.isEmpty() &&
                files_.writeWhole(
                    target, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                    error);
    }
    if (!saved)
        prompt_.showWith(fileMessage(MessageId::LogNotSaved, target, error), MessageKind::Stop,
                         UserPrompt::optionsOf(MessageId::LogNotSaved));
    return saved;
}

}  // namespace loom
