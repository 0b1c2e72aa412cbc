// The birthday dialog: the in-memory birthday list (its list box), the remind-days field,
// adding, deleting, the reminder check on demand and saving with OK.
#pragma once

#include <QByteArray>
#include <QCollator>
#include <QDialog>
#include <QList>

#include <memory>

namespace Ui {
class SetupForm;
}

class TSetupForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSetupForm(QWidget *parent = nullptr);
    ~TSetupForm() override;

    // Fills the list and the remind-days field from the birthday file. Throws EInOutError
    // "Read beyond end of file" for a short file, keeping the entries read before it, and the
    // file's own error for one that exists but can't be read; the list is then empty and OK
    // refuses to replace the file until a later load reads it.
    void LoadBirthdays();

    // The reminder window set by the last load (3 when there was no file); saving leaves it.
    int RemindDays() const { return m_remindDays; }

    // The entries' code-page-936 bytes in list order.
    QList<QByteArray> birthdayEntries() const;

    void setVisible(bool visible) override;

public Q_SLOTS:
    void BitBtn1Click(); // OK: save and close
    void BitBtn2Click(); // add
    void BitBtn3Click(); // delete
    void BitBtn4Click(); // remind: the reminder check on the list as it stands

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillList(const QList<QByteArray> &entries);
    void insertEntry(const QByteArray &entry);

    std::unique_ptr<Ui::SetupForm> m_ui;
    QCollator m_collator;
    int m_remindDays;
    bool m_fileRead = true; // false after a load that could not read an existing file
    bool m_placed = false;
};
