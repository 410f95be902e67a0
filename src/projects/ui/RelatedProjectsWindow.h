#pragma once

#include <QDialog>
#include <QList>

class QTreeWidget;

// 关联项目: the projects related to one project, a picker to add more, and export of a related project's
// package. The edited list is written back whenever the window closes.
class RelatedProjectsWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kNarrowWidth = 270;
    static constexpr int kWideWidth = 536;

    // `recordNumber` is the project's record in the project table (relatedRecordNumber).
    explicit RelatedProjectsWindow(int recordNumber, QWidget* parent = nullptr);

    // The command behind 关联项目按钮 and "&L.查看关联项目": the window, modal.
    static void showRelated(int recordNumber, QWidget* parent);

    void done(int result) override;

private:
    void showPicker(bool shown);
    void fillPicker();
    void fillRelated();
    void take();
    void remove();
    void exportSelected();
    bool save();

    int m_record;
    QTreeWidget* m_related;
    QTreeWidget* m_picker;
    QList<QWidget*> m_pickerParts; // the picker and its two buttons
};
