#include "UABOUT.h"

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(345, 257);
}

TAboutForm::~TAboutForm() = default;
