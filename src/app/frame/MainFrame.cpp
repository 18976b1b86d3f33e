#include "frame/MainFrame.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include "QtText.h"
#include "frame/ActivityIndicator.h"
#include "frame/CommandIcons.h"

namespace loom {

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent), splitter_(new QSplitter(this)) {
    // The title names the program, never the open file.
    setWindowTitle(QStringLiteral("Harvik Loomcraft"));
    setWindowIcon(QIcon(programPicture(64)));
    splitter_->setChildrenCollapsible(true);
    setCentralWidget(splitter_);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    setAcceptDrops(true);
    // F6 and Shift+F6 move the focus between the tree and the form.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)}) {
        auto* pane = new QShortcut(keys, this);
        connect(pane, &QShortcut::activated, this, [this] {
            if (splitter_->count() < 2) return;
            QWidget* tree = splitter_->widget(0);
            QWidget* form = splitter_->widget(1);
            const bool inTree = tree->isAncestorOf(focusWidget()) || tree == focusWidget();
            if (!inTree) {
                tree->setFocus(Qt::ShortcutFocusReason);
                return;
            }
            // The form pane hands the focus on to its first field that takes it.
            for (QWidget* w = form->nextInFocusChain(); w != nullptr && w != form;
                 w = w->nextInFocusChain()) {
                if (form->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
                    (w->focusPolicy() & Qt::TabFocus) != 0) {
                    w->setFocus(Qt::ShortcutFocusReason);
                    return;
                }
                if (w == tree) break;
            }
        });
    }
    // Idle recomputation of the enabling, as menus and buttons must follow transfers and
    // link supervision that change the state without a command.
    auto* idle = new QTimer(this);
    idle->setInterval(250);
    connect(idle, &QTimer::timeout, this, [this] {
        updateCommands();
        emit idleTick();
    });
    idle->start();
    resize(900, 640);
}

QAction* MainFrame::makeAction(const CommandEntry& entry) {
    auto* action = new QAction(toQt(entry.text), this);
    if (!entry.keys.empty()) action->setShortcut(QKeySequence(QString::fromStdString(entry.keys)));
    action->setStatusTip(toQt(entry.statusTip));
    if (!entry.toolTip.empty()) action->setToolTip(toQt(entry.toolTip));
    action->setIcon(commandIcon(entry.id));
    action->setIconVisibleInMenu(false);
    action->setCheckable(entry.checkable);
    const CommandId id = entry.id;
    connect(action, &QAction::triggered, this, [this, id] {
        emit commandTriggered(id);
        updateCommands();
    });
    actions_[id] = action;
    return action;
}

void MainFrame::buildMenus() {
    QMenu* menu = nullptr;
    auto* radios = new QActionGroup(this);
    for (const CommandEntry& entry : menuEntries()) {
        switch (entry.kind) {
            case CommandEntry::Kind::Menu:
                menu = menuBar()->addMenu(toQt(entry.text));
                connect(menu, &QMenu::aboutToShow, this, &MainFrame::updateCommands);
                break;
            case CommandEntry::Kind::Separator:
                menu->addSeparator();
                break;
            case CommandEntry::Kind::Command: {
                QAction* action = makeAction(entry);
                if (entry.radio) radios->addAction(action);
                menu->addAction(action);
                break;
            }
        }
    }
    for (CommandId id : {CommandId::CancelTransfer, CommandId::SystemPassword})
        if (const CommandEntry* entry = commandEntry(id)) addAction(makeAction(*entry));
}

void MainFrame::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Verktygsfält"));
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(18, 18));
    toolBar_->setMovable(true);
    for (CommandId id : toolBarCommands()) {
        if (id == CommandId{}) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = actions_.at(id);
        if (action->icon().isNull()) action->setIcon(commandIcon(id));
        toolBar_->addAction(action);
    }
    // The indicator sits at the right end of the toolbar row, however wide the window.
    auto* spring = new QWidget(toolBar_);
    spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spring);
    indicator_ = new ActivityIndicator(toolBar_);
    toolBar_->addWidget(indicator_);
    QAction* showToolBar = actions_.at(CommandId::ToolBar);
    disconnect(showToolBar, &QAction::triggered, nullptr, nullptr);
    connect(showToolBar, &QAction::triggered, toolBar_, &QToolBar::setVisible);
}

void MainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    auto pane = [bar](const QString& widest, const QString& name) {
        auto* label = new QLabel(bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 12);
        label->setAccessibleName(name);
        bar->addPermanentWidget(label);
        return label;
    };
    connectionPane_ =
        pane(QStringLiteral("TCP/IP 255.255.255.255:65535"), QStringLiteral("Uppkoppling"));
    modifiedPane_ = pane(QStringLiteral("MOD"), QStringLiteral("Ändrad"));
    insertPane_ = pane(QStringLiteral("INS"), QStringLiteral("Infogningsläge"));
    datePane_ = pane(QStringLiteral("33 september, 9999"), QStringLiteral("Filens datum"));
    QAction* showStatusBar = actions_.at(CommandId::StatusBar);
    disconnect(showStatusBar, &QAction::triggered, nullptr, nullptr);
    connect(showStatusBar, &QAction::triggered, bar, &QStatusBar::setVisible);
    bar->showMessage(QStringLiteral("Klar"));
}

QAction* MainFrame::action(CommandId id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainFrame::setPanes(QWidget* tree, QWidget* form) {
    splitter_->addWidget(tree);
    splitter_->addWidget(form);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setTreeWidth(treeWidth_);
}

void MainFrame::setTreeWidth(int width) {
    treeWidth_ = width;
    if (splitter_->count() < 2) return;
    const int total = std::max(splitter_->width(), width + 1);
    splitter_->setSizes({width, total - width});
}

int MainFrame::treeWidth() const {
    return splitter_->count() < 2 ? 0 : splitter_->sizes().front();
}

void MainFrame::updateCommands() {
    CommandContext context = stateSource_ ? stateSource_() : CommandContext{};
    context.toolBarShown = toolBar_->isVisible() || !isVisible();
    context.statusBarShown = statusBar()->isVisible() || !isVisible();
    for (const auto& [id, action] : actions_) {
        const CommandState state = commandState(id, context);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void MainFrame::showModified(bool on) {
    modifiedPane_->setText(on ? QStringLiteral("MOD") : QString());
}

void MainFrame::showInsertMode(bool on) {
    insertPane_->setText(on ? QStringLiteral("INS") : QString());
}

void MainFrame::showDate(const QString& text) {
    datePane_->setText(text);
}

void MainFrame::showConnection(const QString& text) {
    connectionPane_->setText(text);
}

QString MainFrame::modifiedPaneText() const {
    return modifiedPane_->text();
}
QString MainFrame::insertPaneText() const {
    return insertPane_->text();
}
QString MainFrame::datePaneText() const {
    return datePane_->text();
}
QString MainFrame::connectionPaneText() const {
    return connectionPane_->text();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (closeCheck_ && !closeCheck_()) {
        event->ignore();
        return;
    }
    event->accept();
}

namespace {

QString droppedDataFile(const QMimeData* data) {
    if (!data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.endsWith(QStringLiteral(".KQD"), Qt::CaseInsensitive)) return path;
    }
    return {};
}

}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedDataFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QString path = droppedDataFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over: opening may ask questions in modal boxes.
    QTimer::singleShot(0, this, [this, path] { emit fileDropped(path); });
}

}  // namespace loom
