// The about dialog: the program's name and version and the maker's contact details.
#pragma once

#include <QDialog>

class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);
    ~TAboutForm() override;
};
