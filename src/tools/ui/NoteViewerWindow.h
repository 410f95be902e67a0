#pragma once

#include <QDialog>

class QPlainTextEdit;

// Shows one tool's description and path, read only; its title is the tool's name.
class NoteViewerWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NoteViewerWindow(int recordNumber, QWidget* parent = nullptr);

    QString shownText() const;

private:
    QPlainTextEdit* m_text;
};
