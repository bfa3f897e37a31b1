#include "commands/problems_dock.h"

#include <QApplication>
#include <algorithm>
#include <utility>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/check_document.h"
#include "commands/editor_commands.h"
#include "shell/child_frame.h"
#include "shell/document.h"
#include "shell/main_frame.h"
#include "view/main_view.h"

namespace rova {
namespace {

// A list of more rows would stall the program at every refresh; a wild
// performance is better mended from its first problems anyway.
constexpr int kMaxListed = 2000;

enum Column { COL_KIND, COL_CHANNEL, COL_TIME, COL_STEP, COL_DETAIL, COL_COUNT };

QString channelText(const check::Problem& p) {
    if (p.channel >= 0 && p.channel < kChannelCount) {
        const std::string_view name = kChannelInfo[static_cast<std::size_t>(p.channel)].name;
        return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    if (p.eye == check::EYE_GREEN) return "Green eye";
    if (p.eye == check::EYE_RED) return "Red eye";
    return "Motion";
}

}  // namespace

CProblemsDock::CProblemsDock(CMainFrame& frame) : QDockWidget("Problems", &frame), m_frame(frame) {
    setObjectName("problemsDock");
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    auto* bar = new QHBoxLayout;
    m_summary = new QLabel(body);
    m_clamp = new QPushButton("Clamp to Limits", body);
    m_clamp->setToolTip("Set the out-of-range keyframes in the selected rows and time range to the nearest limit");
    bar->addWidget(m_summary, 1);
    bar->addWidget(m_clamp);
    layout->addLayout(bar);
    m_list = new QTreeWidget(body);
    m_list->setObjectName("problemsList");
    m_list->setColumnCount(COL_COUNT);
    m_list->setHeaderLabels({"Kind", "Channel", "Time", "Step", "Description"});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list);
    setWidget(body);

    QObject::connect(m_list, &QTreeWidget::itemActivated, this,
                     [this](QTreeWidgetItem* item, int) { goToProblem(m_list->indexOfTopLevelItem(item)); });
    QObject::connect(m_clamp, &QPushButton::clicked, this, [this] { m_frame.executeCommand(ID_TOOLS_CLAMP_TO_LIMITS); });
    m_frame.addIdleListener([this] {
        if (isVisible()) refresh();
    });
}

CProblemsDock* CProblemsDock::find(CMainFrame& frame) { return frame.findChild<CProblemsDock*>("problemsDock"); }

CProblemsDock& CProblemsDock::showFor(CMainFrame& frame) {
    CProblemsDock* dock = find(frame);
    if (!dock) {
        dock = new CProblemsDock(frame);
        frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
        // The panel takes room from the window area; performance windows that
        // now reach below it are shortened to fit, once the layout has settled.
        QTimer::singleShot(0, &frame, [&frame] {
            QMdiArea* area = frame.mdiArea();
            if (!area) return;
            const QRect visible = area->viewport()->rect();
            for (QMdiSubWindow* window : area->subWindowList()) {
                const QRect r = window->geometry();
                if (window->isMaximized() || window->isMinimized() || r.bottom() <= visible.bottom()) continue;
                window->resize(r.width(), std::max(window->minimumSizeHint().height(), visible.bottom() - r.top()));
            }
        });
    }
    dock->show();
    dock->raise();
    dock->refresh(true);
    return *dock;
}

void CProblemsDock::refresh(bool force) {
    const CChildFrame* child = m_frame.activeChild();
    CDocument* document = child ? &child->document() : nullptr;
    std::vector<check::Problem> problems;
    if (document) problems = check::checkPerformance(document->doc());
    m_clamp->setEnabled(m_frame.commandState(ID_TOOLS_CLAMP_TO_LIMITS).enabled);
    const bool same = !force && document == m_document && (document != nullptr) == m_hasDocument && problems == m_problems;
    if (same) return;
    m_document = document;
    m_hasDocument = document != nullptr;
    const std::vector<check::Problem> before = std::exchange(m_problems, std::move(problems));
    rebuild(before);
}

void CProblemsDock::rebuild(const std::vector<check::Problem>& before) {
    // The current row follows its problem, and goes when the problem does.
    const int current = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    int previous = -1;
    if (current >= 0 && current < static_cast<int>(before.size())) {
        const auto it = std::find(m_problems.begin(), m_problems.end(), before[static_cast<std::size_t>(current)]);
        if (it != m_problems.end()) previous = static_cast<int>(it - m_problems.begin());
    }
    const int scroll = m_list->verticalScrollBar()->value();
    m_list->clear();
    int errors = 0;
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_problems.size()));
    for (const check::Problem& p : m_problems) errors += check::isError(p.kind);
    for (const check::Problem& p : m_problems) {
        if (items.size() >= kMaxListed) break;
        const bool error = check::isError(p.kind);
        auto* item = new QTreeWidgetItem;
        item->setIcon(COL_KIND, error ? errorIcon : warningIcon);
        item->setText(COL_KIND, check::kindTitle(p.kind));
        item->setText(COL_CHANNEL, channelText(p));
        item->setText(COL_TIME, QString::number(static_cast<double>(p.timeMs) / 1000.0, 'f', 2));
        item->setText(COL_STEP, p.step >= 0 ? QString::number(p.step) : QString());
        item->setText(COL_DETAIL, QString::fromStdString(check::describe(p)));
        item->setTextAlignment(COL_TIME, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(COL_STEP, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
    const int count = static_cast<int>(m_problems.size());
    setWindowTitle(QString("Problems (%1)").arg(count));
    const int warnings = count - errors;
    if (!m_hasDocument)
        m_summary->setText("No performance open");
    else if (count == 0)
        m_summary->setText("No problems: the robot can play this performance");
    else
        m_summary->setText(QString("%1 error%2, %3 warning%4")
                               .arg(errors)
                               .arg(errors == 1 ? "" : "s")
                               .arg(warnings)
                               .arg(warnings == 1 ? "" : "s") +
                           (count > kMaxListed ? QString(" (the first %1 listed)").arg(kMaxListed) : QString()));
    if (previous >= 0 && previous < m_list->topLevelItemCount()) m_list->setCurrentItem(m_list->topLevelItem(previous));
    m_list->verticalScrollBar()->setValue(scroll);
    for (int c = COL_KIND; c < COL_DETAIL; ++c) m_list->resizeColumnToContents(c);
}

bool CProblemsDock::goToProblem(int index) {
    refresh();
    CMainView* view = performanceView(m_frame.commandContext());
    if (!view || index < 0 || index >= static_cast<int>(m_problems.size())) return false;
    showProblemInView(*view, m_problems[static_cast<std::size_t>(index)]);
    m_frame.scheduleIdleUpdate();
    return true;
}

void showProblemInView(CMainView& view, const check::Problem& problem) {
    const auto& panes = view.panes();
    int row = -1;
    if (problem.channel >= 0) {
        view.findPaneByJoint(problem.channel, row);
    } else if (problem.eye >= 0) {
        // The green eye's pane comes before the red one's.
        int eyes = 0;
        for (std::size_t i = 0; i < panes.size() && row < 0; ++i)
            if (dynamic_cast<const CLedPane*>(panes[i].get()) && eyes++ == problem.eye) row = static_cast<int>(i);
    }
    if (row >= 0)
        view.selectRows(row, 1, true);
    else
        view.selectRows(0, static_cast<int>(panes.size()), true);
    view.setTimeSelection(problem.selStart, problem.selLength);

    // Scroll so that the start of the selection shows a quarter into the
    // window, and the row when it is out of sight.
    const QSize area = view.viewport()->size();
    const int left = view.stepX(problem.selStart);
    const int scrollX = view.horizontalScroll();
    if (left < scrollX + kLabelColumnWidth || left > scrollX + area.width() - 20)
        view.horizontalScrollBar()->setValue(std::max(0, left - kLabelColumnWidth - area.width() / 4));
    if (row >= 0) {
        const CTrackPane& pane = *panes[static_cast<std::size_t>(row)];
        const int scrollY = view.verticalScroll();
        if (pane.top() < scrollY || pane.top() + pane.height() > scrollY + area.height())
            view.verticalScrollBar()->setValue(std::max(0, pane.top() - area.height() / 3));
    }
    view.viewport()->update();
}

}  // namespace rova
