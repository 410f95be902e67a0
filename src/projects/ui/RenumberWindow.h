#pragma once

#include <QDialog>
#include <QSet>
#include <QString>

#include <optional>

class QLineEdit;

// Asked when 还原 finds an entry's number taken by a project of the catalogue (or not usable as a file name): the
// entry comes back under the number typed here, the next automatic number offered first.
class RenumberWindow : public QDialog
{
    Q_OBJECT

public:
    // `taken`: numbers that may not be given either (the catalogue's, and those given to other entries just now).
    RenumberWindow(const QString& name, const QString& number, bool numberInvalid, QSet<QString> taken,
                   QWidget* parent = nullptr);

    // The number typed and confirmed; nothing when the user cancelled.
    static std::optional<QString> askNumber(QWidget* parent, const QString& name, const QString& number,
                                            bool numberInvalid, const QSet<QString>& taken);

    QString number() const;

private:
    void confirm();

    QSet<QString> m_taken;
    QLineEdit* m_number;
};
