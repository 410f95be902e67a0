#include "ui/common/Naming.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>

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
    static const QRegularExpression suffix(QStringLiteral("\\(&[^)]\\)"));
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

void speakAsSeen(QWidget* window)
{
    // A window is announced by its title, which Qt reads itself while the accessible name is empty.
    if (window->accessibleDescription().isEmpty())
        window->setAccessibleDescription(QString::fromLatin1(window->metaObject()->className()));
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"))
            continue;
        // A caption that reads as it is spoken is left to Qt, which then follows it when it changes.
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            caption = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w))
            caption = labelText(label);
        if (!caption.isEmpty() && !caption.contains(u'&') && spokenText(caption) == caption) {
            w->setAccessibleName(QString());
            continue;
        }
        const QString readable = readableText(window, w);
        w->setAccessibleName(readable.isEmpty() ? w->objectName() : readable);
    }
}
