#include "usetup.h"

TSetupForm::TSetupForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("QuorvelCal  Birthday Notify"));
    setFixedSize(275, 208);
}

TSetupForm::~TSetupForm() = default;

void TSetupForm::LoadBirthdays() { }
void TSetupForm::BitBtn1Click()
{
    accept();
}
void TSetupForm::BitBtn2Click() { }
void TSetupForm::BitBtn3Click() { }
void TSetupForm::BitBtn4Click() { }
