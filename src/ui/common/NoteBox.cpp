#include "ui/common/NoteBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

bool isCtrlTab(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier;
}

class CtrlTabTypesTab : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isCtrlTab(event))
            return false;
        // Claimed before any shortcut (a tab control's Ctrl+Tab) can take it.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        auto* box = static_cast<QPlainTextEdit*>(watched);
        if (!box->isReadOnly())
            box->insertPlainText(u"\t"_s);
        return true;
    }
};

} // namespace

void tabMovesFocus(QPlainTextEdit* box)
{
    box->setTabChangesFocus(true);
    box->installEventFilter(new CtrlTabTypesTab(box));
}
