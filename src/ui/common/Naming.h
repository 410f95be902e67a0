#pragma once

#include <QString>
#include <QWidget>

// Every control of the program has a name of its own (`编号编辑框`, `执行按钮`), which tests and accessibility
// clients find it by: it goes into objectName and, because AT-SPI does not expose object names, into the
// accessible description. What a screen reader speaks is the accessible name, which must be what a sighted
// user reads; speakAsSeen() sets it once a window is built.
template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
    return widget;
}

// A named control at its place in its parent.
template <typename W>
W* placed(W* widget, const QString& name, const QRect& geometry)
{
    named(widget, name);
    widget->setGeometry(geometry);
    return widget;
}

// A named label with its caption at its place in its parent.
class QLabel* placedLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);

// Gives every named control below `window` (and the window) the name a person hears: a window its title, a
// button, label, check box or group box its caption, an edit box, combo box or list the text of the label
// beside it (its buddy) or of its tab page, and a control with nothing readable its own name. Captions lose
// their access-key marks and the blanks that only space them out ("更    新" is heard as "更新"). The names follow
// the captions when they change later.
void speakAsSeen(QWidget* window);

// Changes a button's, label's or group box's caption and, at once, what it and the control it labels are
// heard as.
void setCaption(QWidget* control, const QString& caption);

// Pairs a label with the control it names, for the keyboard (its access key) and for screen readers.
void labelFor(class QLabel* label, QWidget* control);

// A caption as it is spoken: without "&" access-key marks or a "(&X)" suffix, and without blanks that stand
// between Chinese characters or at either end.
QString spokenText(const QString& caption);
