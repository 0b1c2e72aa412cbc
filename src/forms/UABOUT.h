// The about dialog: the program's name and version, the maker's contact details with mail and web
// links, the details memo and the picture with its menu of messages.
#pragma once

#include "components/panel.h"

#include <QDialog>
#include <QLabel>
#include <QUrl>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class TAboutForm;
}

class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);
    ~TAboutForm() override;

    // How mail and web addresses reach the desktop; QDesktopServices::openUrl unless a test says
    // otherwise. Its result is not acted on: without a mail program or browser nothing happens.
    using UrlOpener = std::function<bool(const QUrl &url)>;
    void setUrlOpener(UrlOpener opener);

    // The picture's menu; building the dialog's controls if it has never been shown.
    QMenu *popupMenu();

    void setVisible(bool visible) override;

public Q_SLOTS:
    void Label2Click(); // show the maker's details over the contact labels
    void Memo1Click(); // hide them again
    void Label4Click(); // write to the maker
    void Label5Click(); // visit the maker's home page
    void BitBtn3Click(); // back
    void N2Click();
    void N5Click();
    void N6Click();
    void N7Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void ensureBuilt();
    void applyLook();
    void wire();

    std::unique_ptr<Ui::TAboutForm> m_ui; // null until the first show
    QMenu *m_popupMenu = nullptr;
    UrlOpener m_openUrl;
    bool m_placed = false;
};
