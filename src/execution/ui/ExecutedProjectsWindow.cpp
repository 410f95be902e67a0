#include "execution/ui/ExecutedProjectsWindow.h"

#include "execution/AbandonWork.h"
#include "execution/DockingRules.h"
#include "execution/UpdateBack.h"
#include "execution/WorkChanges.h"
#include "execution/WorkInProgress.h"
#include "execution/WorkLine.h"
#include "ui/common/ChangesSummary.h"
#include "ui/common/Naming.h"
#include "ui/common/PackingMessages.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QPointer<ExecutedProjectsWindow> s_instance;

} // namespace

ExecutedProjectsWindow* ExecutedProjectsWindow::instance()
{
    return s_instance;
}

ExecutedProjectsWindow* ExecutedProjectsWindow::open(QWidget* home)
{
    if (!s_instance) {
        s_instance = new ExecutedProjectsWindow(home);
        s_instance->show();
    }
    return s_instance;
}

ExecutedProjectsWindow::ExecutedProjectsWindow(QWidget* home)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_home(home)
    , m_frame(named(new QFrame(this), u"外形框1"_s))
    , m_title(named(new QLabel(u" ■□□"_s, this), u"标签1"_s))
    , m_list(named(new QTreeWidget(this), u"已执行列表框"_s))
    , m_updateButton(named(new QPushButton(u"更 新"_s, this), u"更新按钮"_s))
    , m_abandonButton(named(new QPushButton(u"放 弃"_s, this), u"放弃按钮"_s))
    , m_slideOut(new QTimer(this))
    , m_slideIn(new QTimer(this))
{
    setObjectName(u"ExecutedProjectsWindow"_s);
    setWindowTitle(u"已执行项目"_s);
    setFixedSize(215, 275);
    move(0, 30);
    // Moves without a pressed button arrive only with tracking; they bring the panel back from the edge.
    setMouseTracking(true);

    m_frame->setGeometry(0, 0, 215, 275);
    m_frame->setFrameShape(QFrame::Box);
    m_frame->setAttribute(Qt::WA_TransparentForMouseEvents); // its mouse moves are the window's
    m_frame->lower();

    m_title->setGeometry(1, 1, 213, 20);
    m_title->setAutoFillBackground(true);
    m_title->setBackgroundRole(QPalette::Highlight);
    m_title->setForegroundRole(QPalette::HighlightedText);

    m_list->setGeometry(4, 21, 207, 223);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({u"已执行项目："_s});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    m_updateButton->setGeometry(4, 248, 100, 24);
    m_abandonButton->setGeometry(112, 248, 100, 24);
    connect(m_updateButton, &QPushButton::clicked, this, &ExecutedProjectsWindow::updateBack);
    connect(m_abandonButton, &QPushButton::clicked, this, &ExecutedProjectsWindow::abandon);

    m_slideOut->setObjectName(u"时钟1"_s);
    m_slideIn->setObjectName(u"时钟2"_s);
    m_slideOut->setInterval(DockingRules::kTickMs);
    m_slideIn->setInterval(DockingRules::kTickMs);
    connect(m_slideOut, &QTimer::timeout, this, &ExecutedProjectsWindow::slideOutTick);
    connect(m_slideIn, &QTimer::timeout, this, &ExecutedProjectsWindow::slideInTick);
    m_slideOut->start(); // the panel slides out of sight right after it appears

    speakAsSeen(this);
    m_title->setAccessibleName(windowTitle()); // its caption is a picture of the panel's state
    m_list->setAccessibleName(windowTitle());

    connect(&WorkInProgress::instance(), &WorkInProgress::changed, this, &ExecutedProjectsWindow::showWork);
    showWork();
}

ExecutedProjectsWindow::~ExecutedProjectsWindow()
{
    if (s_instance == this)
        s_instance = nullptr;
}

QStringList ExecutedProjectsWindow::lines() const
{
    QStringList captions;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        captions.append(m_list->topLevelItem(i)->text(0));
    return captions;
}

std::optional<WorkLine> ExecutedProjectsWindow::selectedLine() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const QString caption = selected.first()->text(0);
    for (const WorkLine& line : WorkInProgress::instance().lines()) {
        if (line.caption() == caption)
            return line;
    }
    return std::nullopt;
}

namespace {

// Where the work is still to be found when it could not be stored.
QString workPlace(const WorkLine& line)
{
    if (line.isPackage())
        return line.package();
    return line.isZip() ? line.workingFolder() : line.workFile();
}

// Each long step of update back and 放弃 in a progress window of its own, closed before any question.
WorkPacking::LongStepRunner progressWindows(QWidget* parent)
{
    return [parent](WorkPacking::LongStep step, const std::function<void(const WorkPacking::Progress&)>& work) {
        const QString label = step == WorkPacking::LongStep::Packing ? u"正在压缩项目文件，请稍候……"_s
                              : step == WorkPacking::LongStep::Comparing ? u"正在比较项目文件，请稍候……"_s
                                                                         : u"正在保存项目文件，请稍候……"_s;
        WorkProgress progress(parent, label);
        work(progress.callback());
    };
}

// What the work changed, told under the question that update back (updating) or 放弃 asks.
Prompt::Detail workChanges(QWidget* parent, const WorkLine& line, bool updating)
{
    PackageChanges::Comparison compared;
    progressWindows(parent)(WorkPacking::LongStep::Comparing,
                            [&](const WorkPacking::Progress& progress) { compared = WorkChanges::of(line, progress); });
    return ChangesSummary::ofWork(compared, updating, line.isPackage());
}

} // namespace

void ExecutedProjectsWindow::updateBack()
{
    // While work runs nothing else starts, however the button was pressed.
    if (WorkProgress::running())
        return;
    const std::optional<WorkLine> selected = selectedLine();
    if (!selected)
        return;
    const WorkLine line = *selected;
    if (!Prompt::question(this, u"您确定保存好了项目文件要进行更新吗？此操作将覆盖原有记录。"_s,
                          workChanges(this, line, true)))
        return;
    // Messages after the line is gone may outlive this panel; they belong to the main window then.
    QWidget* parent = m_home ? m_home.data() : this;
    UpdateBack::Calls calls;
    calls.longStep = progressWindows(parent);
    calls.deleteOtherFiles = [parent] {
        return Prompt::question(parent, u"该项目的工作目录中还有其他文件，要一并删除吗？"_s);
    };
    calls.stored = [caption = line.caption()] { WorkInProgress::instance().remove(caption); };
    const UpdateBack::Result result = UpdateBack::run(line, calls);

    switch (result.outcome) {
    case UpdateBack::Outcome::Changing:
        Prompt::error(parent, u"文件正在被其他程序修改，请关闭后再更新！"_s);
        return;
    case UpdateBack::Outcome::Unpackable:
        Prompt::error(parent, PackingMessages::unpackable(result.unpackable, u"更新"_s));
        return;
    case UpdateBack::Outcome::PackFailed:
        if (line.isZip())
            Prompt::error(parent, u"压缩文件失败，请手动压缩后导入。\r\n文件路径："_s + line.workingFolder());
        else if (line.isFile())
            Prompt::error(parent, u"更新项目出错，请手动更新该项目并删除此文件夹，项目文件路径为："_s +
                                      line.workFileWithoutExtension());
        else
            Prompt::error(parent, u"更新项目出错，已保存好的项目文件不存在："_s + line.package());
        WorkInProgress::instance().remove(line.caption());
        return;
    case UpdateBack::Outcome::NotStored:
        Prompt::warning(parent, u"更新项目出错，项目文件包无法存入数据目录，工作文件仍保留在："_s + workPlace(line));
        return;
    case UpdateBack::Outcome::Unchanged:
        if (line.isPackage())
            Prompt::information(parent, u"这个未存入的项目文件包与已存入的相同，已删除。"_s);
        else if (result.otherFilesKept)
            Prompt::information(parent, u"工作目录没有变化，项目文件包保持原样。工作目录中的其他文件仍保留在："_s +
                                            line.workingFolder());
        else
            Prompt::information(parent, u"工作目录没有变化，项目文件包保持原样，工作目录已删除。"_s);
        return;
    case UpdateBack::Outcome::NotStamped:
    case UpdateBack::Outcome::Updated:
        break;
    }
    if (result.recreated)
        Prompt::warning(parent, u"项目已不存在，系统将重建，请注意修改项目属性。"_s);
    if (result.outcome == UpdateBack::Outcome::NotStamped) {
        showDatabaseError(parent);
        return;
    }
    if (result.otherFilesKept)
        Prompt::information(parent, u"更新项目成功！工作目录中的其他文件仍保留在："_s + line.workingFolder());
    else
        Prompt::information(parent, u"更新项目成功！"_s);
}

void ExecutedProjectsWindow::abandon()
{
    if (WorkProgress::running())
        return;
    const std::optional<WorkLine> selected = selectedLine();
    if (!selected)
        return;
    const WorkLine line = *selected;
    if (!Prompt::question(this, u"您确定要放弃正在执行的项目操作吗？"_s, workChanges(this, line, false)))
        return;
    const AbandonWork::Result result = AbandonWork::run(line, AbandonWork::Keep::Work, progressWindows(this));
    switch (result.outcome) {
    case AbandonWork::Outcome::Abandoned:
        break;
    case AbandonWork::Outcome::Changing:
        Prompt::error(this, u"文件正在被其他程序修改，请关闭后再放弃！"_s);
        return;
    case AbandonWork::Outcome::Unpackable:
    case AbandonWork::Outcome::NotKept:
        // The work cannot be kept; it goes only when the user says so knowing that.
        if (!Prompt::question(this, u"工作无法保存到历史版本中，仍要放弃并删除吗？"_s))
            return;
        AbandonWork::run(line, AbandonWork::Keep::Nothing);
        break;
    }
    WorkInProgress::instance().remove(line.caption());
}

void ExecutedProjectsWindow::showWork()
{
    const QStringList listed = WorkInProgress::instance().captions();
    bool removed = false;
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        if (!listed.contains(m_list->topLevelItem(i)->text(0))) {
            delete m_list->takeTopLevelItem(i);
            removed = true;
        }
    }
    const QStringList shown = lines();
    for (const QString& caption : listed) {
        if (!shown.contains(caption))
            m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{caption}));
    }
    if (m_list->topLevelItemCount() > 0) {
        // The view would select the next line by itself; the next command must act only on a line the user picked.
        if (removed)
            m_list->clearSelection();
        return;
    }
    if (s_instance != this)
        return; // closing already
    // Later work must get a fresh panel even while this one waits for its deferred deletion.
    s_instance = nullptr;
    m_slideOut->stop();
    m_slideIn->stop();
    hide();
    deleteLater();
}

void ExecutedProjectsWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void ExecutedProjectsWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    const QPoint position = pos();
    const DockingRules::Moved moved = DockingRules::afterMove(position.x(), position.y(), m_slideIn->isActive());
    if (moved.startSlideOut && !m_slideOut->isActive())
        m_slideOut->start();
    if (moved.left != position.x() || moved.top != position.y())
        move(moved.left, moved.top);
}

void ExecutedProjectsWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void ExecutedProjectsWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    // A running timer is left alone: restarting it on every move would hold its next tick back.
    if (DockingRules::startsSlideIn(x(), width(), m_slideOut->isActive()) && !m_slideIn->isActive())
        m_slideIn->start();
}

void ExecutedProjectsWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void ExecutedProjectsWindow::slideOutTick()
{
    const DockingRules::Tick tick = DockingRules::slideOutTick(x(), width());
    if (tick.stop)
        m_slideOut->stop();
    else
        move(tick.left, y());
}

void ExecutedProjectsWindow::slideInTick()
{
    const DockingRules::Tick tick = DockingRules::slideInTick(x());
    if (tick.stop)
        m_slideIn->stop();
    else
        move(tick.left, y());
}
