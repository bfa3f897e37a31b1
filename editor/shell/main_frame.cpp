#include "shell/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "shell/check_document.h"
#include "shell/child_frame.h"
#include "shell/document.h"
#include "shell/editor_app.h"
#include "shell/menu_prompts.h"
#include "shell/view.h"
#include "platform/messages.h"
#include "platform/qt_keyboard.h"
#include "player/player_link.h"
#include "res/icons.h"

namespace rova {
namespace {

QString programTitle() { return QString::fromUtf8(kProgramTitle.data(), static_cast<qsizetype>(kProgramTitle.size())); }

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

void applyState(QAction* action, const CCmdUI& state, const QString& menuText) {
    action->setEnabled(state.enabled);
    if (!menuText.isNull()) action->setText(state.text.isEmpty() ? menuText : state.text);
    if (state.checkable) {
        action->setCheckable(true);
        action->setChecked(state.checked);
    }
}

// The name of a performance window: the document's title, and * while modified.
QString windowName(CDocument& document) {
    return document.title() + (document.isModified() ? QStringLiteral("*") : QString());
}

}  // namespace

CMainFrame::CMainFrame(CEditorApp& app) : m_app(app) {
    setWindowTitle(programTitle());
    setWindowIcon(res::programIcon());
    m_idle.setSingleShot(true);
    m_idle.setInterval(0);
    QObject::connect(&m_idle, &QTimer::timeout, this, [this] { updateCommandUI(); });
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    playerLink().editorKeys = nullptr;
    // The window area tells of activations while its windows are destroyed;
    // by then this frame is no longer one.
    if (m_mdi) m_mdi->disconnect(this);
}

bool CMainFrame::create() {
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    QObject::connect(m_mdi, &QMdiArea::subWindowActivated, this,
                     [this](QMdiSubWindow* w) { onSubWindowActivated(w); });

    // The menus first: the toolbar shares their actions.
    m_mruPlaceholder = new QAction("Recent File", this);
    m_mruPlaceholder->setEnabled(false);
    const CommandRegistry& registry = commands();
    m_mruPlaceholder->setStatusTip(qs(registry.promptMessage(ID_FILE_MRU_FIRST)));
    for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id) {
        auto* entry = new QAction(this);
        entry->setStatusTip(qs(registry.promptMessage(id)));
        entry->setVisible(false);
        QObject::connect(entry, &QAction::triggered, this, [this, id] { executeCommand(id); });
        m_mruActions.push_back(entry);
    }
    for (const MenuPopup& popup : registry.emptyFrameMenu) m_emptyMenus.push_back(buildPopup(popup));
    for (const MenuPopup& popup : registry.performanceMenu) m_docMenus.push_back(buildPopup(popup));

    m_toolBar = new QToolBar("Toolbar", this);
    m_toolBar->setObjectName("toolbar");
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : registry.toolbarButtons) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(commandAction(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    QStatusBar* bar = statusBar();
    m_ready = new QLabel("Ready", bar);
    bar->addWidget(m_ready, 1);
    // The tempo of the active performance window.
    m_tempo = new QLabel(bar);
    m_tempo->setObjectName("tempo");
    m_tempo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_tempo->setAlignment(Qt::AlignCenter);
    m_tempo->setMinimumWidth(m_tempo->fontMetrics().horizontalAdvance("000.0 BPM") + 10);
    bar->addPermanentWidget(m_tempo);
    const char* const names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(names[i]);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(names[i]) + 10);
        bar->addPermanentWidget(label);
        m_indicators[i] = label;
    }
    // The motion budget, before the lock-key indicators.
    m_motionField = new QLabel(bar);
    m_motionField->setObjectName("motionBudget");
    m_motionField->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_motionField->setAlignment(Qt::AlignCenter);
    bar->insertPermanentWidget(1, m_motionField);  // 0 is the message pane
    // The readouts of the active window, before the motion budget.
    m_readouts = std::make_unique<CReadoutFields>(*bar, 1);

    for (const Accelerator& accelerator : registry.acceleratorTable()) {
        auto* shortcut = new QShortcut(QKeySequence(accelerator.key), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = accelerator.id;
        QObject::connect(shortcut, &QShortcut::activated, this, [this, id] { executeCommand(id); });
        m_shortcuts.push_back(shortcut);
    }
    // The player window is a window of its own: the shortcuts above do not see its keys.
    playerLink().editorKeys = [this](QKeyEvent& event) { return keyFromPlayer(event); };

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 4 / 5, area.height() * 4 / 5);
    }
    qApp->installEventFilter(this);
    updateMenuBar();
    updateRecentFileMenu();
    updateCommandUI();
    return true;
}

// A key pressed in the player window works as it does here: an accelerator
// runs its command, any other key goes to the active performance window's view.
bool CMainFrame::keyFromPlayer(QKeyEvent& event) {
    if (const int id = commands().commandForKey(event.keyCombination())) {
        executeCommand(id);
        return true;
    }
    const CChildFrame* child = activeChild();
    CView* view = child ? child->view() : nullptr;
    if (!view) return false;
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.nativeScanCode(), event.nativeVirtualKey(),
                   event.nativeModifiers(), event.text(), event.isAutoRepeat(), static_cast<quint16>(event.count()));
    QApplication::sendEvent(view, &copy);
    return copy.isAccepted();
}

QAction* CMainFrame::commandAction(int id) {
    if (const auto it = m_actions.find(id); it != m_actions.end()) return it->second;
    const CommandRegistry& registry = commands();
    const QString text = QString::fromUtf8(id == ID_DANCING_PLACEHOLDER ? kDancingPlaceholderText : registry.text(id));
    auto* action = new QAction(text, this);
    m_menuTexts[id] = text;
    action->setStatusTip(qs(registry.promptMessage(id)));
    action->setToolTip(qs(registry.promptTooltip(id)));
    const QPixmap image = res::toolbarImage(id);
    if (!image.isNull()) {
        action->setIcon(QIcon(image));
        action->setIconVisibleInMenu(false);
    }
    QObject::connect(action, &QAction::triggered, this, [this, id] { executeCommand(id); });
    m_actions[id] = action;
    return action;
}

QMenu* CMainFrame::buildPopup(const MenuPopup& popup) {
    auto* menu = new QMenu(QString::fromUtf8(popup.title), this);
    for (const MenuItem& item : popup.items) {
        if (item.id == 0) {
            menu->addSeparator();
        } else if (item.id == ID_FILE_MRU_FIRST) {
            menu->addAction(m_mruPlaceholder);
            for (QAction* entry : m_mruActions) menu->addAction(entry);
        } else {
            menu->addAction(commandAction(item.id));
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandUI(); });
    showPromptsOfDisabledItems(*menu, *this);
    if (popup.title == std::string_view("&Window")) {
        m_windowMenu = menu;
        QObject::connect(menu, &QMenu::aboutToShow, this, [this] { rebuildWindowList(); });
    }
    if (popup.title == std::string_view("&Dancing")) m_dancingMenu = menu;
    return menu;
}

QAction* CMainFrame::action(int id) const {
    if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) return m_mruActions[static_cast<std::size_t>(id - ID_FILE_MRU_FIRST)];
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CMainFrame::addCommandItem(QMenu* menu, int id, const QString& text) {
    auto* action = new QAction(text, menu);
    QObject::connect(action, &QAction::triggered, this, [this, id] { executeCommand(id); });
    menu->addAction(action);
    m_actions[id] = action;
    return action;
}

void CMainFrame::fillDancingMenu() {
    // Only the placeholder as the popup was delivered is replaced, so the
    // menu is filled once whatever the library puts into it.
    QAction* placeholder = action(ID_DANCING_PLACEHOLDER);
    if (!m_dancingMenu || !placeholder || m_dancingMenu->actions() != QList<QAction*>{placeholder}) return;
    const auto& builder = commands().dancingMenuBuilder;
    if (!builder) return;
    m_dancingMenu->removeAction(placeholder);
    m_actions.erase(ID_DANCING_PLACEHOLDER);
    placeholder->deleteLater();
    builder(*this, *m_dancingMenu);
}

CChildFrame* CMainFrame::activeChild() const {
    auto* frame = dynamic_cast<CChildFrame*>(m_mdi ? m_mdi->currentSubWindow() : nullptr);
    if (!frame) return nullptr;
    // A frame that is closing no longer takes commands.
    for (CDocument* d : m_app.documents())
        if (d->frame() == frame) return frame;
    return nullptr;
}

std::vector<CChildFrame*> CMainFrame::childFrames() const {
    std::vector<CChildFrame*> frames;
    for (CDocument* d : m_app.documents())
        if (d->frame()) frames.push_back(d->frame());
    return frames;
}

void CMainFrame::addChild(CChildFrame* frame) {
    if (CView* view = frame->view()) {
        // Notes stay a while: they tell of something found, not of a key pressed.
        view->setHost({.showNote = [this](const QString& note) { statusBar()->showMessage(note, 15000); },
                       .stateChanged = [this] { scheduleIdleUpdate(); }});
    }
    m_mdi->addSubWindow(frame);
    const QSize area = m_mdi->viewport()->size();
    frame->resize(std::max(area.width() * 3 / 4, 320), std::max(area.height() * 3 / 4, 200));
    frame->show();
    // Maximising or restoring a window changes how the caption names it.
    QObject::connect(frame, &QMdiSubWindow::windowStateChanged, this,
                     [this] { QTimer::singleShot(0, this, [this] { updateTitle(); }); });
    fillDancingMenu();
    updateMenuBar();
}

void CMainFrame::activateChild(CChildFrame* frame) {
    if (frame->isMinimized()) frame->showNormal();
    m_mdi->setActiveSubWindow(frame);
    frame->onMdiActivate(true);
    updateTitle();
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    if (auto* frame = dynamic_cast<CChildFrame*>(window)) frame->onMdiActivate(true);
    updateTitle();
    followReadouts();
    scheduleIdleUpdate();
}

void CMainFrame::followReadouts() {
    if (!m_readouts) return;
    const CChildFrame* child = activeChild();
    CView* view = child ? child->view() : nullptr;
    if (view == m_readoutView && m_readoutSubscription.active() == (view != nullptr)) return;
    m_readoutView = view;
    m_readoutSubscription.reset();
    if (!view) {
        m_readouts->clear();
        return;
    }
    m_readoutSubscription = view->readouts().subscribe([this](const ViewReadout& r) { m_readouts->show(r); });
    m_readouts->show(view->readouts().last());
}

void CMainFrame::documentTitleChanged(CDocument& document) {
    if (document.frame()) document.frame()->setWindowTitle(windowName(document));
    updateTitle();
}

void CMainFrame::updateTitle() {
    // Each window names its performance, with a * while it has unsaved changes.
    for (CChildFrame* frame : childFrames()) {
        const QString name = windowName(frame->document());
        if (frame->windowTitle() != name) frame->setWindowTitle(name);
    }
    const CChildFrame* child = activeChild();
    QString title = programTitle();
    // A maximised window's title goes in brackets, the way the window area
    // itself adds it to the caption, so that it is not added a second time.
    if (child) {
        const QString name = windowName(child->document());
        title += child->isMaximized() ? " - [" + name + "]" : " - " + name;
    }
    if (windowTitle() != title) setWindowTitle(title);
}

const CommandRegistry& CMainFrame::commands() const { return m_app.commands(); }

CommandContext CMainFrame::commandContext() {
    CommandContext context{m_app, *this};
    if (CChildFrame* child = activeChild()) {
        context.child = child;
        context.document = &child->document();
        context.view = child->view();
    }
    return context;
}

CCmdUI CMainFrame::commandState(int id) {
    CCmdUI ui;
    ui.id = id;
    CCommand* command = commands().find(id);
    CommandContext context = commandContext();
    if (!command || !command->isHandled(context))
        ui.enabled = false;  // nobody handles it
    else
        command->onUpdate(context, ui);
    return ui;
}

bool CMainFrame::executeCommand(int id) {
    // A disabled command is not run, whichever way it was reached.
    if (!commandState(id).enabled) return false;
    CommandContext context = commandContext();
    commands().find(id)->onExecute(context);
    scheduleIdleUpdate();
    return true;
}

void CMainFrame::updateCommandUI() {
    for (const auto& [id, action] : m_actions) {
        const auto text = m_menuTexts.find(id);
        applyState(action, commandState(id), text == m_menuTexts.end() ? QString() : text->second);
    }
    for (int i = 0; i < static_cast<int>(m_mruActions.size()); ++i)
        applyState(m_mruActions[static_cast<std::size_t>(i)], commandState(ID_FILE_MRU_FIRST + i), QString());
    updateTitle();
    updateIndicators();
    updateMotionField();
    followReadouts();
    for (const auto& listener : m_idleListeners) listener();
    if (m_tempo) {
        const CChildFrame* child = activeChild();
        m_tempo->setText(child && child->view() ? child->view()->tempoText() : QString());
    }
}

void CMainFrame::scheduleIdleUpdate() {
    if (!m_idle.isActive()) m_idle.start();
}

void CMainFrame::updateMenuBar() {
    const bool performance = !m_app.documents().empty();
    if (performance == m_performanceMenuShown && !menuBar()->actions().isEmpty()) return;
    m_performanceMenuShown = performance;
    menuBar()->clear();
    for (QMenu* menu : performance ? m_docMenus : m_emptyMenus) menuBar()->addMenu(menu);
}

void CMainFrame::updateRecentFileMenu() {
    const CRecentFileList& recent = m_app.recentFiles();
    m_mruPlaceholder->setVisible(recent.size() == 0);
    for (int i = 0; i < static_cast<int>(m_mruActions.size()); ++i) {
        QAction* entry = m_mruActions[static_cast<std::size_t>(i)];
        entry->setVisible(i < recent.size());
        if (i < recent.size()) entry->setText(recent.menuText(i));
    }
}

void CMainFrame::rebuildWindowList() {
    for (QAction* a : m_windowListActions) {
        m_windowMenu->removeAction(a);
        a->deleteLater();
    }
    m_windowListActions.clear();
    const auto frames = childFrames();
    if (frames.empty()) return;
    m_windowListActions.push_back(m_windowMenu->addSeparator());
    const CChildFrame* current = activeChild();
    int number = 1;
    for (CChildFrame* frame : frames) {
        QString title = frame->document().title();
        title.replace("&", "&&");
        auto* entry = m_windowMenu->addAction(QString("&%1 %2").arg(number++).arg(title));
        entry->setCheckable(true);
        entry->setChecked(frame == current);
        entry->setStatusTip("Activate this window");
        QObject::connect(entry, &QAction::triggered, this, [this, frame] {
            for (CChildFrame* f : childFrames())
                if (f == frame) activateChild(frame);
        });
        m_windowListActions.push_back(entry);
    }
}

void CMainFrame::updateIndicators() {
    const LockKeys keys = readLockKeys();
    const bool on[3] = {keys.caps, keys.num, keys.scroll};
    const char* const names[3] = {"CAP", "NUM", "SCRL"};
    // As on the original status bar, an indicator shows its text only while its lock is on.
    for (int i = 0; i < 3; ++i)
        if (m_indicators[i]) m_indicators[i]->setText(on[i] ? names[i] : "");
}

void CMainFrame::updateMotionField() {
    if (!m_motionField) return;
    const CChildFrame* child = activeChild();
    m_motionField->setVisible(child != nullptr);
    if (!child) return;
    const std::optional<check::Budget> budget = check::motionBudget(child->document().doc());
    const bool over = budget && budget->over();
    m_motionField->setText(budget ? QString("Motion %1/%2").arg(budget->keyframes).arg(budget->limit) : "No motion");
    m_motionField->setToolTip(budget ? QString("Keyframes used of the %1 a motion file of this kind holds").arg(budget->limit)
                                     : QString());
    const QString style = over ? "QLabel { color: rgb(200, 0, 0); font-weight: bold; }" : QString();
    if (m_motionField->styleSheet() != style) m_motionField->setStyleSheet(style);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.saveAllModified()) {
        event->ignore();
        return;
    }
    m_app.closeAllDocuments();
    event->accept();
    m_app.mainFrameClosed();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Clipboard:
        scheduleIdleUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace rova
