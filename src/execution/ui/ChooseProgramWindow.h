#pragma once

#include <QDialog>

class QListWidget;

// 选择执行程序: lists the files of an unpacked package's working folder so the user can pick the one to open,
// after the first entry "打开文件夹", which opens the folder itself (a programmer opens a project folder in an
// editor). Picking an entry closes the window at once; closing it any other way chooses nothing.
class ChooseProgramWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ChooseProgramWindow(const QString& workDir, QWidget* parent = nullptr);

    // Shows the window modally; answers the chosen file's full path (the folder's for "打开文件夹"), or empty
    // text when nothing was chosen.
    static QString choose(const QString& workDir, QWidget* parent);

    QString chosenProgram() const { return m_chosen; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fill();
    void takeSelection();

    QString m_dir;
    QString m_chosen;
    QListWidget* m_list;
};
