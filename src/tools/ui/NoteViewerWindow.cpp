#include "tools/ui/NoteViewerWindow.h"

#include "tools/ToolTable.h"
#include "ui/common/EditorText.h"
#include "ui/common/Naming.h"

#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

NoteViewerWindow::NoteViewerWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_text(named(new QPlainTextEdit(this), u"显示框"_s))
{
    named(this, u"NoteViewerWindow"_s);
    setFixedSize(358, 390);
    const Tool tool = ToolTable::toolAt(recordNumber);
    setWindowTitle(tool.name);

    m_text->setGeometry(8, 8, 336, 312);
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The stored CR LF breaks become the box's own line breaks.
    m_text->setPlainText(editorText(tool.description + u"\r\n\r\n路径："_s + tool.path));

    auto* ok = named(new QPushButton(u"确  定"_s, this), u"确定按钮"_s);
    ok->setGeometry(244, 323, 100, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    speakAsSeen(this);
    // The box fills the window and has no label; the window's title (the tool's name) says what it shows.
    m_text->setAccessibleName(tool.name);
}

QString NoteViewerWindow::shownText() const
{
    return m_text->toPlainText();
}
