// Fuzz target: the birthday file loader, and every step the program takes with what it loaded
// (the entry texts, parsing them back, the reminder check, writing the file again).
#include "core/birthdays.h"
#include "core/errors.h"

#include <QByteArray>
#include <QDate>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qc::BirthdayFileContents contents = qc::parseBirthdayFile(bytes);
    for (const QByteArray &entry : contents.entries) {
        if (entry.size() > qc::BirthdayEntryBytes)
            std::abort();
        try {
            const qc::BirthdayRecord record = qc::parseBirthdayEntry(entry);
            if (record.name.size() > qc::BirthdayNameBytes)
                std::abort();
        } catch (const qc::EConvertError &) { }
    }
    // Every day of the year matters near its end, where the next birthday lies in the new year.
    const int remind = contents.remindDays.value_or(qc::DefaultRemindDays);
    (void)qc::dueBirthdayReminders(QDate(2023, 12, 30), contents.entries, remind);
    (void)qc::dueBirthdayReminders(QDate(2024, 2, 29), contents.entries, remind);

    // A file loaded whole must be written back byte for byte, apart from what the name field
    // holds beyond its length byte (which is never shown) and the padding of the first record.
    try {
        const QByteArray saved = qc::serializeBirthdayFile(remind, contents.entries);
        if (saved.size() != (contents.entries.size() + 1) * qc::BirthdayRecordSize)
            std::abort();
        const qc::BirthdayFileContents again = qc::parseBirthdayFile(saved);
        if (again.entries != contents.entries || again.truncated)
            std::abort();
    } catch (const qc::EConvertError &) { }
    return 0;
}
