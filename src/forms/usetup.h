// The birthday dialog: the in-memory birthday list (its list box), the remind-days field,
// adding, deleting, the reminder check on demand and saving with OK.
#pragma once

#include <QByteArray>
#include <QCollator>
#include <QDialog>
#include <QList>

#include <memory>
#include <optional>

namespace Ui {
class SetupForm;
}

class TSetupForm : public QDialog
{
    Q_OBJECT

public:
    // When the dialog builds its controls: at once, or on buildControls() or its first showing,
    // whichever comes first (the start-up's dialog, built once the main window is on the screen).
    // Until then a load keeps the list, sorted, for the list box to show.
    enum class Controls { Now, Later };
    explicit TSetupForm(QWidget *parent = nullptr, Controls controls = Controls::Now);
    ~TSetupForm() override;

    void buildControls();

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
    struct SortedEntries
    {
        QStringList texts;
        QList<QByteArray> entries;
    };
    void fillList(const QList<QByteArray> &entries);
    void showList(const SortedEntries &sorted);
    void insertEntry(const QByteArray &entry);

    std::unique_ptr<Ui::SetupForm> m_ui; // null until the controls are built
    SortedEntries m_unbuiltList; // the list while there is no list box
    std::optional<QString> m_unbuiltRemindDays; // the remind-days field's text from a load meanwhile
    QCollator m_collator;
    int m_remindDays;
    bool m_fileRead = true; // false after a load that could not read an existing file
    bool m_placed = false;
};
