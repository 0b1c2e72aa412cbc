// Fuzz target: the birthday dialog's checks on a new entry, from the month, day and name the user
// typed to the entry's bytes, and on to the file record they are saved as.
#include "core/birthdays.h"
#include "core/errors.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Month, day and name as UTF-8 text separated by newlines; whatever is missing is empty.
    const QList<QByteArray> fields
        = QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)).split('\n');
    const auto field = [&fields](qsizetype i) { return QString::fromUtf8(fields.value(i)); };
    const qc::NewBirthdayEntry checked = qc::checkNewBirthdayEntry(field(0), field(1), field(2));

    if (checked.badField != qc::NewBirthdayEntry::Field::None) {
        if (!checked.entry.isEmpty() || checked.error.isEmpty())
            std::abort();
        return 0;
    }
    // An accepted entry is storable as it stands: a real date, a name of at most 50 bytes, and a
    // record that reads back as the same entry.
    const QByteArray &entry = checked.entry;
    if (entry.isEmpty() || entry.size() > qc::BirthdayEntryBytes)
        std::abort();
    const qc::BirthdayRecord record = qc::parseBirthdayEntry(entry);
    if (record.month < 1 || record.month > 12 || record.day < 1 || record.day > 31
        || record.name.size() > qc::BirthdayNameBytes)
        std::abort();
    const QByteArray file = qc::serializeBirthdayFile(3, { entry });
    if (qc::parseBirthdayFile(file).entries != QList<QByteArray> { entry })
        std::abort();
    return 0;
}
