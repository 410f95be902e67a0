#include "ui/common/Naming.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

bool isWide(QChar c)
{
    // CJK ideographs, full-width forms and CJK punctuation are written without spaces between them.
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) ||
           c.isSurrogate();
}

QString withoutAccessKeys(const QString& caption)
{
    static const QRegularExpression suffix(u"\\(&[^)]\\)"_s);
    QString text = caption;
    text.remove(suffix);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size()) {
            ++i; // "&&" is a literal ampersand, "&X" marks X
        }
        out.append(text.at(i));
    }
    return out;
}

QString labelText(const QLabel* label)
{
    const QString text = label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text())
                             ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                             : label->text();
    return text;
}

// The text of the label that names `control`: its buddy, or the caption of the tab page it fills.
QString labelBeside(QWidget* window, QWidget* control)
{
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->buddy() == control) {
            QString text = spokenText(labelText(label));
            while (text.endsWith(u'：') || text.endsWith(u':'))
                text.chop(1);
            return text;
        }
    }
    QWidget* page = control->parentWidget();
    auto* stack = page ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (tabs && tabs->indexOf(page) >= 0)
        return spokenText(tabs->tabText(tabs->indexOf(page)));
    return {};
}

bool isNamedByLabel(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w);
}

// What a person reads on the control; empty when nothing is readable.
QString readableText(QWidget* window, QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return spokenText(button->text().isEmpty() ? button->toolTip() : button->text());
    if (auto* label = qobject_cast<QLabel*>(w))
        return spokenText(labelText(label));
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return spokenText(group->title());
    if (isNamedByLabel(w))
        return labelBeside(window, w);
    return {};
}

} // namespace

QString spokenText(const QString& caption)
{
    const QString text = withoutAccessKeys(caption).simplified();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u' ' && i > 0 && i + 1 < text.size() && (isWide(text.at(i - 1)) || isWide(text.at(i + 1))))
            continue;
        out.append(c);
    }
    return out;
}

QLabel* placedLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    return placed(new QLabel(caption, parent), name, geometry);
}

void labelFor(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
}

namespace {

// The caption a control shows, or nothing for a control without one.
QString captionOf(QWidget* w)
{
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return labelText(label);
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

void speak(QWidget* window, QWidget* w)
{
    // A caption that reads as it is spoken is left to Qt, which reads it afresh whenever it is asked.
    const QString caption = captionOf(w);
    if (!caption.isEmpty() && !caption.contains(u'&') && spokenText(caption) == caption) {
        w->setAccessibleName(QString());
        return;
    }
    const QString readable = readableText(window, w);
    w->setAccessibleName(readable.isEmpty() ? w->objectName() : readable);
}

// A control and, for a label, the control it names.
void speakWithBuddy(QWidget* window, QWidget* w)
{
    speak(window, w);
    if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
        speak(window, label->buddy());
}

// Keeps the spoken names of one window's captioned controls, and of the controls their labels name, in step
// with their captions. Qt tells a control nothing when its caption changes, but repaints it, so the name is
// compared at every paint and show; a window's own code that changes a caption calls setCaption() instead,
// which speaks at once.
class CaptionFollower : public QObject
{
public:
    explicit CaptionFollower(QWidget* window)
        : QObject(window)
        , m_window(window)
    {
        setObjectName(u"qt_caption_follower"_s);
    }

    void follow(QWidget* w)
    {
        m_spoken.insert(w, captionOf(w));
        w->installEventFilter(this);
    }

    void respeak(QWidget* w)
    {
        m_spoken.insert(w, captionOf(w));
        speakWithBuddy(m_window, w);
    }

    // Qt hands the platform the application's name for an empty title, so a window whose title is empty
    // on purpose (an empty Title= for the main window) would read "Tallyra". A single blank is what the
    // platform shows instead; the window keeps its empty title, which is also what a screen reader hears.
    void showTitleAsSet()
    {
        QWindow* handle = m_window->windowHandle();
        if (handle && m_window->windowTitle().isEmpty() && handle->title().isEmpty())
            handle->setTitle(u" "_s);
    }

    static CaptionFollower* of(QWidget* w)
    {
        return w ? w->window()->findChild<CaptionFollower*>(u"qt_caption_follower"_s, Qt::FindDirectChildrenOnly)
                 : nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window) {
            if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::Show)
                showTitleAsSet();
            return false;
        }
        if (event->type() == QEvent::Paint || event->type() == QEvent::Show) {
            auto* w = static_cast<QWidget*>(watched);
            const auto spoken = m_spoken.constFind(w);
            if (spoken != m_spoken.cend() && *spoken != captionOf(w))
                respeak(w);
        }
        return false;
    }

private:
    QWidget* m_window;
    QHash<QWidget*, QString> m_spoken;
};

} // namespace

void speakAsSeen(QWidget* window)
{
    // A window is announced by its title, which Qt reads itself while the accessible name is empty.
    if (window->accessibleDescription().isEmpty())
        window->setAccessibleDescription(QString::fromLatin1(window->metaObject()->className()));
    auto* follower = new CaptionFollower(window);
    window->installEventFilter(follower);
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"))
            continue;
        speak(window, w);
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w))
            follower->follow(w);
    }
}

void setCaption(QWidget* control, const QString& caption)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(caption);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(caption);
    if (CaptionFollower* follower = CaptionFollower::of(control))
        follower->respeak(control);
    else
        speakWithBuddy(control->window(), control);
}
