// The birthday dialog: the in-memory birthday list (its list box), the remind-days field,
// adding, deleting, the reminder check on demand and saving with OK.
#pragma once

#include <QDialog>

class TSetupForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSetupForm(QWidget *parent = nullptr);
    ~TSetupForm() override;

    // Fills the list and the remind-days field from the birthday file. Throws EInOutError
    // "Read beyond end of file" for a short file, keeping the entries read before it.
    void LoadBirthdays();

public Q_SLOTS:
    void BitBtn1Click(); // OK: save and close
    void BitBtn2Click(); // add
    void BitBtn3Click(); // delete
    void BitBtn4Click(); // remind: the reminder check on the list as it stands
};
