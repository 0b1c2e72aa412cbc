// The birthday dialog. Its list box is the program's only copy of the birthday list in memory:
// every item keeps the exact code-page-936 bytes of its entry (Qt::UserRole) and shows them
// decoded, so a load and a save give back the file's names byte for byte.
#include "usetup.h"

#include "ui_usetup.h"

#include "components/glyphs.h"
#include "components/panel.h"
#include "core/birthdays.h"
#include "core/clock.h"
#include "core/cp936.h"
#include "core/errors.h"
#include "fonts.h"
#include "messages.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int ItemHeight = 16;
constexpr QSize ClientSize(275, 208);

class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return { QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight };
    }
};

QByteArray entryOf(const QListWidgetItem *item)
{
    return item->data(Qt::UserRole).toByteArray();
}

} // namespace

TSetupForm::TSetupForm(QWidget *parent, Controls controls)
    : QDialog(parent)
    , m_remindDays(qc::DefaultRemindDays)
{
    setObjectName(QStringLiteral("SetupForm"));
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    if (controls == Controls::Now)
        buildControls();
}

void TSetupForm::buildControls()
{
    if (m_ui)
        return;
    // The dialog's font comes first, and is the application font while the controls are built: a
    // field measures its text in the application font as it is made, and the desktop's face would
    // be loaded for nothing.
    setFont(qc::designFont(QStringLiteral("宋体"), 16));
    const qc::ApplicationFontScope buildFont(font());
    m_ui = std::make_unique<Ui::SetupForm>();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(ClientSize);
    setWindowIcon(qc::programIcon());

    m_ui->Panel1->setFont(qc::designFont(QStringLiteral("MS Sans Serif"), 19));
    m_ui->Panel1->setBevels(TPanel::bvRaised, TPanel::bvLowered);
    // The labels size themselves to their text, as the layout places only their top-left corners.
    for (QLabel *label : { m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4, m_ui->Label5 })
        label->adjustSize();
    // The design's narrow fields hold their text right inside the frame; Qt's line edit keeps two
    // more pixels on either side. Even so the remind-days field is two pixels wider than designed:
    // 25 pixels hold "25" of "255" in a face whose digits are 8 pixels wide.
    for (QLineEdit *field : { m_ui->Edit1, m_ui->Edit2, m_ui->Edit4 })
        field->setTextMargins(-2, 0, -2, 0);
    // The other fields are named by their labels (the buddies in the form); the remind-days field
    // stands inside its sentence, so its name is the sentence around it.
    m_ui->Edit4->setAccessibleName(m_ui->Label4->text() + u'…' + m_ui->Label5->text());

    QPalette buttonPanel = m_ui->Panel2->palette();
    buttonPanel.setColor(QPalette::Window, QColor(255, 128, 128));
    m_ui->Panel2->setPalette(buttonPanel);
    m_ui->Bevel1->setShape(TBevel::bsTopLine);

    m_ui->ListBox1->setItemDelegate(new FixedHeightDelegate(m_ui->ListBox1));
    m_ui->BitBtn1->setFocus();

    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TSetupForm::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TSetupForm::BitBtn2Click);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TSetupForm::BitBtn3Click);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &TSetupForm::BitBtn4Click);

    // What a load put aside meanwhile.
    if (m_unbuiltRemindDays)
        m_ui->Edit4->setText(*std::exchange(m_unbuiltRemindDays, std::nullopt));
    showList(std::exchange(m_unbuiltList, {}));
}

TSetupForm::~TSetupForm() = default;

void TSetupForm::LoadBirthdays()
{
    fillList({});
    // Until a load has read the file, OK must not replace it: its birthdays are not in the list.
    m_fileRead = false;
    const qc::BirthdayFileContents contents = qc::loadBirthdayFile(qc::birthdayFilePath());
    m_fileRead = true;
    if (!contents.found) {
        m_remindDays = qc::DefaultRemindDays;
    } else if (contents.remindDays) {
        m_remindDays = *contents.remindDays;
        if (m_ui)
            m_ui->Edit4->setText(QString::number(m_remindDays));
        else
            m_unbuiltRemindDays = QString::number(m_remindDays);
    }
    fillList(contents.entries);
    if (contents.truncated)
        throw qc::EInOutError(qc::IoError::ReadBeyondEnd);
}

QList<QByteArray> TSetupForm::birthdayEntries() const
{
    if (!m_ui)
        return m_unbuiltList.entries;
    const QListWidget *list = m_ui->ListBox1;
    QList<QByteArray> entries;
    entries.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        entries.append(entryOf(list->item(row)));
    return entries;
}

void TSetupForm::BitBtn1Click()
{
    buildControls();
    qc::guarded([&] {
        QLineEdit *field = m_ui->Edit4;
        if (!qc::tryRemindDaysFromText(field->text())) {
            field->setFocus();
            field->selectAll();
        }
        const int remindDays = qc::remindDaysFromText(field->text());
        const QString path = qc::birthdayFilePath();
        if (!m_fileRead)
            throw qc::unreadBirthdayFileError(path);
        // Everything is converted before the file is touched; a failure keeps the dialog open
        // with the user's edits.
        qc::saveBirthdayFile(path, qc::serializeBirthdayFile(remindDays, birthdayEntries()));
        accept();
    });
}

void TSetupForm::BitBtn2Click()
{
    buildControls();
    qc::guarded([&] {
        QLineEdit *month = m_ui->Edit1;
        QLineEdit *day = m_ui->Edit2;
        QLineEdit *name = m_ui->Edit3;
        if (month->text().isEmpty() || day->text().isEmpty()) {
            month->setFocus();
            return;
        }
        const qc::NewBirthdayEntry checked
            = qc::checkNewBirthdayEntry(month->text(), day->text(), name->text());
        if (checked.badField != qc::NewBirthdayEntry::Field::None) {
            QLineEdit *wrong = checked.badField == qc::NewBirthdayEntry::Field::Month ? month
                : checked.badField == qc::NewBirthdayEntry::Field::Day                ? day
                                                                                      : name;
            wrong->setFocus();
            wrong->selectAll();
            throw qc::EConvertError(checked.error);
        }
        insertEntry(checked.entry);
        month->clear();
        day->clear();
        name->clear();
        month->setFocus();
    });
}

void TSetupForm::BitBtn3Click()
{
    buildControls();
    qc::guarded([&] {
        QListWidget *list = m_ui->ListBox1;
        const QList<QListWidgetItem *> selected = list->selectedItems();
        if (selected.isEmpty())
            return;
        delete selected.first();
        // The list would move the selection to the next entry by itself; a second press (or a
        // double click) would then delete an entry nobody picked. Nothing is selected until the
        // user picks again.
        list->selectionModel()->clear();
    });
}

void TSetupForm::BitBtn4Click()
{
    qc::guarded([&] {
        const QStringList reminders = qc::dueBirthdayReminders(qc::today(), birthdayEntries(), m_remindDays);
        for (const QString &text : reminders)
            qc::showInformation(text);
    });
}

void TSetupForm::setVisible(bool visible)
{
    // Centred on the screen the first time only; moving marks the window as placed, so later
    // showings keep the place where the user left it.
    // The list is reloaded before every showing; it opens at its first entry, never where the
    // last showing left it scrolled.
    if (visible) {
        buildControls();
        m_ui->ListBox1->scrollToTop();
    }
    if (visible && !m_placed) {
        m_placed = true;
        // The button pictures are decoded when the dialog is first shown, not at start-up.
        m_ui->BitBtn2->setIcon(qc::glyphIcon(qc::Glyph::Add));
        m_ui->BitBtn3->setIcon(qc::glyphIcon(qc::Glyph::Delete));
        m_ui->BitBtn4->setIcon(qc::glyphIcon(qc::Glyph::Remind));
        m_ui->BitBtn1->setIcon(qc::glyphIcon(qc::Glyph::Ok));
        if (const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen()) {
            const QRect frame = frameGeometry().isValid() ? frameGeometry() : geometry();
            move(QStyle::alignedRect(
                Qt::LeftToRight, Qt::AlignCenter, frame.size(), target->availableGeometry())
                     .topLeft());
        }
    }
    QDialog::setVisible(visible);
}

void TSetupForm::keyPressEvent(QKeyEvent *event)
{
    // There is no cancel button, so Esc must not close the dialog.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The list's order is the collator's (locale-aware, case-insensitive), ties broken by the bytes so
// the order never depends on the order of adding. Both filling and inserting compare sort keys,
// so the two can never disagree. Qt's collator ignores the case setting in its sort keys for the
// C locale, so the text is case-folded there first.
namespace {

struct SortKey
{
    QCollatorSortKey key;
    const QByteArray *bytes;
    qsizetype index = 0;
};

bool keyLess(const SortKey &a, const SortKey &b)
{
    const int order = a.key.compare(b.key);
    return order != 0 ? order < 0 : *a.bytes < *b.bytes;
}

QCollatorSortKey collationKey(const QCollator &collator, const QString &text)
{
    return collator.sortKey(collator.locale().language() == QLocale::C ? text.toCaseFolded() : text);
}

} // namespace

void TSetupForm::fillList(const QList<QByteArray> &entries)
{
    const QStringList texts = qc::cp936::decodeEach(entries);
    std::vector<SortKey> keys;
    keys.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        keys.push_back({ collationKey(m_collator, texts.at(i)), &entries.at(i), i });
    std::sort(keys.begin(), keys.end(), keyLess);

    SortedEntries sorted;
    sorted.texts.reserve(texts.size());
    sorted.entries.reserve(entries.size());
    for (const SortKey &key : keys) {
        sorted.texts.append(texts.at(key.index));
        sorted.entries.append(*key.bytes);
    }
    if (m_ui)
        showList(sorted);
    else
        m_unbuiltList = std::move(sorted);
}

void TSetupForm::showList(const SortedEntries &sorted)
{
    QListWidget *list = m_ui->ListBox1;
    list->clear();
    // One insertion for the whole list, then the entries' bytes. Nothing shown depends on
    // Qt::UserRole, so the model's change signals (one per item, each walking the view) stay off.
    list->addItems(sorted.texts);
    const QSignalBlocker blocker(list->model());
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setData(Qt::UserRole, sorted.entries.at(row));
}

void TSetupForm::insertEntry(const QByteArray &entry)
{
    QListWidget *list = m_ui->ListBox1;
    const QString text = qc::cp936::decodeEach({ entry }).constFirst();
    const SortKey key { collationKey(m_collator, text), &entry };
    // After every equal entry: the first row whose entry sorts above the new one.
    int low = 0;
    int high = list->count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const QListWidgetItem *item = list->item(middle);
        const QByteArray bytes = entryOf(item);
        if (keyLess(key, { collationKey(m_collator, item->text()), &bytes }))
            high = middle;
        else
            low = middle + 1;
    }
    auto *item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, entry);
    list->insertItem(low, item);
    // Shown, not selected: "删除" right after "添加" must not take the new entry away.
    list->scrollToItem(item);
}
