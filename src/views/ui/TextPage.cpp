#include "views/ui/TextPage.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"
#include "projects/ProjectCatalogue.h"
#include "ui/common/EditorText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/TabPage.h"
#include "views/DetailsReport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Short enough that a kill right after the last key finds the text saved, long enough that typing at any
// speed rarely waits for the disk; a text typed on without a pause is still saved every two seconds.
constexpr int kPauseMs = 250;
constexpr qint64 kLongestUnsavedMs = 2000;

QString captionOf(ProjectTexts::Mode mode)
{
    switch (mode) {
    case ProjectTexts::DesignPlan:
        return u"设计规划："_s;
    case ProjectTexts::BugReport:
        return u"BUG报告："_s;
    case ProjectTexts::UpgradeHistory:
        return u"升级历史："_s;
    case ProjectTexts::Details:
        break;
    }
    return u"详细信息："_s;
}

} // namespace

TextPage::TextPage(QWidget* parent)
    : QWidget(parent)
{
    named(this, u"TextView"_s);
    m_caption = named(new QLabel(u"设计规划："_s, this), u"透明标签1"_s);
    m_caption->setGeometry(6, 7, 114, 14);
    m_editor = named(new QPlainTextEdit(this), u"辅助项目框"_s);
    m_editor->setGeometry(5, 24, 432, 312);
    m_back = named(new QPushButton(u"返回项目列表"_s, this), u"返回按钮2"_s);
    m_back->setGeometry(224, 2, 112, 20);
    m_write = named(new QPushButton(u"写到文件"_s, this), u"写出按钮"_s);
    m_write->setGeometry(336, 2, 112, 20);
    labelFor(m_caption, m_editor);

    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &TextPage::saveTextField);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &TextPage::textEdited);
    m_editor->installEventFilter(this);
    connect(m_write, &QPushButton::clicked, this, &TextPage::writeToFile);
    connect(m_back, &QPushButton::clicked, this, &TextPage::backToList);
    // Quitting by the session's signal ends the loop without closing the window first.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &TextPage::savePendingText);
}

TextPage::~TextPage()
{
    savePendingText();
}

void TextPage::setCaption(const QString& text)
{
    // A screen reader names the box by the caption beside it, which changes with what the page shows.
    ::setCaption(m_caption, text);
}

void TextPage::fill(const QString& text)
{
    // Putting the field's own value into the box changes nothing, so it is not written back.
    m_filling = true;
    m_editor->setPlainText(text);
    m_filling = false;
}

namespace {

bool requireProject(int record, QWidget* page)
{
    if (record > 0)
        return true;
    Prompt::warning(page->window(), u"请选择您要操作的项目！"_s);
    return false;
}

QString listCaptionOf(int record)
{
    const ProjectRecord project = ProjectCatalogue::readProject(record);
    return project.name + u' ' + project.version;
}

} // namespace

void TextPage::showTextField(int record, ProjectTexts::Mode mode)
{
    // The box is about to show another text; one that could not be written stays on screen instead.
    if (!savePendingText())
        return;
    m_editor->setReadOnly(false);
    setCaption(captionOf(mode));
    if (!requireProject(record, this))
        return;
    const ProjectTexts::Text text = ProjectTexts::read(record, mode);
    if (text.outcome != ProjectTexts::Outcome::Done) {
        // The box still holds the last project's text; a new mode now would save it into the wrong field.
        showDatabaseError(this);
        return;
    }
    m_mode = mode;
    m_record = record;
    m_number = text.number;
    m_listCaption = listCaptionOf(record);
    fill(editorText(text.text));
    Q_EMIT showRequested();
}

void TextPage::showDetails(int record)
{
    if (!savePendingText() || !requireProject(record, this))
        return;
    m_mode = ProjectTexts::Details;
    m_listCaption = listCaptionOf(record);
    Q_EMIT showRequested();
    fill(editorText(DetailsReport::build(record)));
    m_editor->setReadOnly(true);
    setCaption(captionOf(ProjectTexts::Details));
}

void TextPage::textEdited()
{
    // Before any text was shown (the page reached by its tab) the box belongs to no project.
    if (m_filling || m_mode == ProjectTexts::Details || m_record == 0)
        return;
    if (!m_unsavedSince.isValid())
        m_unsavedSince.start();
    m_saveTimer.start(int(std::clamp(kLongestUnsavedMs - m_unsavedSince.elapsed(), qint64(0), qint64(kPauseMs))));
}

bool TextPage::savePendingText()
{
    return !m_unsavedSince.isValid() || saveTextField();
}

bool TextPage::saveTextField()
{
    m_saveTimer.stop();
    if (!m_unsavedSince.isValid())
        return true;
    m_unsavedSince.invalidate();
    QString text = m_editor->toPlainText();
    // The editor separates lines with "\n" alone; one bulk replace is many times faster on a long text than
    // the general conversion, which is kept for a stray "\r" from pasted text.
    if (text.contains(u'\r'))
        text = TextCodec::toCrLf(text);
    else
        text.replace(u'\n', u"\r\n"_s);
    switch (ProjectTexts::save(m_record, m_number, m_mode, text)) {
    case ProjectTexts::Outcome::Done:
        return true;
    case ProjectTexts::Outcome::DatabaseError:
        // The text stays in the box and unsaved; the next change or leaving the page tries again (not while
        // the message itself takes the focus).
        showDatabaseError(this);
        m_unsavedSince.start();
        return false;
    case ProjectTexts::Outcome::ProjectMissing:
        // Typing on would only repeat the message; the text can still be written to a file.
        m_editor->setReadOnly(true);
        Prompt::warning(this, u"此项目已被删除，文本无法再保存到项目中！"_s);
        break;
    }
    return true;
}

QString TextPage::proposedFileName() const
{
    QString shown = m_caption->text();
    if (shown.endsWith(u'：'))
        shown.chop(1);
    return m_listCaption + u' ' + shown;
}

void TextPage::writeToFile()
{
    const QString text = m_editor->toPlainText();
    if (text.isEmpty()) {
        Prompt::warning(this, u"无可保存内容！"_s);
        return;
    }
    Prompt::FileDialog dialog;
    dialog.title = u"保存"_s;
    dialog.filter = u"文本文件(*.TXT)|*.txt|*.*|*.*"_s;
    dialog.defaultSuffix = u"txt"_s;
    dialog.initialPath = proposedFileName();
    const QString path = Prompt::saveFile(this, dialog);
    if (path.isEmpty())
        return;
    if (!ProjectTexts::writeOut(path, text, Clock::now()))
        Prompt::error(this, u"写到文件失败！"_s);
}

void TextPage::backToList()
{
    savePendingText();
    m_editor->setReadOnly(false);
    Q_EMIT backRequested();
}

void TextPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int tabWidth = tabWidthOf(this);
    m_editor->setGeometry(5, 24, tabWidth - 10, height() - 24);
    m_write->move(tabWidth - m_write->width() - 8, m_write->y());
    m_back->move(tabWidth - m_write->width() - m_back->width() - 8, m_back->y());
}

void TextPage::hideEvent(QHideEvent* event)
{
    // Another page of the tab, or the window closing.
    savePendingText();
    QWidget::hideEvent(event);
}

bool TextPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::FocusOut)
        savePendingText();
    return QWidget::eventFilter(watched, event);
}
