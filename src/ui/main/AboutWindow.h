#pragma once

#include <QDialog>

// 关于: the banner with the version, the maker's credit line and web address.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
};
