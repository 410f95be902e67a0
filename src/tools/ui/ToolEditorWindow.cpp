#include "tools/ui/ToolEditorWindow.h"

#include "platform/TextCodec.h"
#include "tools/ToolTable.h"
#include "ui/common/EditorText.h"
#include "ui/common/Naming.h"
#include "ui/common/NoteBox.h"
#include "ui/common/Prompt.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

ToolEditorWindow::ToolEditorWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_record(recordNumber)
{
    named(this, u"ToolEditorWindow"_s);
    setWindowTitle(recordNumber > 0 ? u"编辑"_s : u"新建"_s);
    setFixedSize(359, 223);

    // The one-line boxes are a little taller than 16 pixels, so Chinese text is not clipped.
    auto* nameLabel = placed(new QLabel(u"名  称："_s, this), u"名称"_s, QRect(10, 11, 48, 20));
    m_name = placed(new QLineEdit(this), u"名称编辑框"_s, QRect(59, 10, 212, 22));
    auto* browse = placed(new QPushButton(u"选择程序"_s, this), u"浏览目录按钮"_s, QRect(275, 9, 65, 24));
    auto* pathLabel = placed(new QLabel(u"路  径："_s, this), u"路径"_s, QRect(10, 37, 48, 20));
    m_path = placed(new QLineEdit(this), u"路径编辑框"_s, QRect(59, 36, 281, 22));
    auto* descriptionLabel = placed(new QLabel(u"简  介："_s, this), u"内容简介"_s, QRect(10, 62, 48, 20));
    m_description = placed(new QPlainTextEdit(this), u"备注编辑框"_s, QRect(59, 62, 281, 86));
    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(240, 154, 100, 30));
    ok->setAutoDefault(false);
    browse->setAutoDefault(false);

    labelFor(nameLabel, m_name);
    labelFor(pathLabel, m_path);
    labelFor(descriptionLabel, m_description);

    // The keyboard goes through the rows as the eye does: name and its 选择程序, path, description, 确定.
    tabMovesFocus(m_description);
    setTabOrder(m_name, browse);
    setTabOrder(browse, m_path);
    setTabOrder(m_path, m_description);
    setTabOrder(m_description, ok);

    connect(browse, &QPushButton::clicked, this, &ToolEditorWindow::chooseProgram);
    connect(ok, &QPushButton::clicked, this, &ToolEditorWindow::confirm);

    if (m_record > 0) {
        const Tool tool = ToolTable::toolAt(m_record);
        m_name->setText(tool.name);
        m_path->setText(tool.path);
        m_description->setPlainText(editorText(tool.description));
    }
    speakAsSeen(this);
}

void ToolEditorWindow::chooseProgram()
{
    Prompt::FileDialog dialog;
    dialog.title = u"应用程序路径"_s;
#ifdef Q_OS_WIN
    dialog.filter = u"应用程序(*.exe)|*.exe|所有文件(*.*)|*.*"_s;
#else
    // Programs here carry no extension, so every file comes first.
    dialog.filter = u"所有文件(*.*)|*.*|应用程序(*.exe)|*.exe"_s;
#endif
    const QString path = Prompt::openFile(this, dialog);
    if (path.isEmpty())
        return;
    m_path->setText(path);
    m_name->setText(QFileInfo(path).fileName());
}

void ToolEditorWindow::confirm()
{
    // Blanks are content: a name of spaces is a name.
    if (m_name->text().isEmpty() || m_path->text().isEmpty()) {
        Prompt::warning(this, u"名称或路径没有输入！"_s);
        return;
    }
    const Tool tool{m_name->text(), m_path->text(), TextCodec::toCrLf(m_description->toPlainText())};
    if (!ToolTable::store(m_record, tool)) {
        Prompt::error(this, u"添加工具或资源失败!"_s);
        return;
    }
    if (m_record > 0) {
        accept();
        return;
    }
    m_name->clear();
    m_path->clear();
    m_description->clear();
    m_name->setFocus();
}
