// Timing of the birthday list at 1,000, 10,000 and 100,000 entries: loading into the dialog and
// showing it, adding one entry to the full list, saving, and the reminder check. Prints the median
// of several runs and the growth from one size to the next (10x entries should cost about 10x).
// Then a birthday save and a note creation beside a century of notes against an empty folder.
#include "core/birthdays.h"
#include "core/clock.h"
#include "core/cp936.h"
#include "core/daynotes.h"
#include "core/programdir.h"
#include "core/savefile.h"
#include "messages.h"
#include "usetup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 5;

QByteArray makeFile(int count)
{
    // Names of mixed Latin letters and two-byte characters, dates spread over the whole year.
    QRandomGenerator random(4711);
    QByteArray data(qc::BirthdayRecordSize, '\0');
    data[0] = char(qc::DefaultRemindDays);
    for (int i = 0; i < count; ++i) {
        QByteArray record(qc::BirthdayRecordSize, '\0');
        record[0] = char(1 + random.bounded(12));
        record[1] = char(1 + random.bounded(28));
        QByteArray name;
        const int length = 2 + random.bounded(8);
        for (int c = 0; c < length; ++c) {
            if (random.bounded(2))
                name += char((random.bounded(2) ? 'A' : 'a') + random.bounded(26));
            else
                name += QByteArray(1, char(0xB0 + random.bounded(0x40))) + char(0xA1 + random.bounded(0x5D));
        }
        record[2] = char(name.size());
        std::copy(name.cbegin(), name.cend(), record.begin() + 3);
        data += record;
    }
    return data;
}

double medianMs(const std::function<void()> &prepare, const std::function<void()> &work, int runs = Runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double onceMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// A save of a short birthday list and the creation of one note, in an empty program folder and in
// one holding a note for every day of a century (36,525). The first of each in a folder also
// looks for temporaries a crash left there, once per run. The disk's flushes dominate and vary
// with the disk, so the figures are also taken without them.
void filesBesideNotes(bool flush)
{
    constexpr int FileRuns = 21;
    constexpr int Notes = 36525;
    QTemporaryDir empty;
    QTemporaryDir full;
    const QDate first(2000, 1, 1);
    for (int i = 0; i < Notes; ++i) {
        const QDate date = first.addDays(i);
        QFile note(qc::notePath(full.path(), date.year(), date.month(), date.day()));
        if (!note.open(QIODevice::WriteOnly)
            || note.write(qc::noteHeader(date.year(), date.month(), date.day())) <= 0)
            qFatal("cannot write the notes");
    }
    qc::setNoteLauncherForTesting([](const qc::EditorCommand &) {});
    const QByteArray list = qc::serializeBirthdayFile(3, { qc::birthdayEntry(3, 7, "Zhang") });
    const QDate day(2050, 6, 15);

    const qc::ScopedSaveHooks hooks({ .fsync = flush ? std::function<int(int)>() : [](int) { return 0; } });
    std::printf("\n%s\n%10s %14s %14s %14s %14s\n", flush ? "with fsync" : "without fsync", "notes",
        "Qt listing ms", "first note ms", "save ms", "note ms");
    double figures[2][3] = {};
    for (int folder = 0; folder < 2; ++folder) {
        const QString directory = folder == 0 ? empty.path() : full.path();
        qc::setProgramFilePathForTesting(directory + QStringLiteral("/quorvelcal"));
        const QString note = qc::notePath(directory, day.year(), day.month(), day.day());
        const auto save = [&] { qc::saveBirthdayFile(qc::birthdayFilePath(), list); };
        const auto create = [&] { qc::openNote(day.year(), day.month(), day.day()); };
        const auto removeNote = [&] { QFile::remove(note); };
        const double listing = medianMs([] {},
            [&] {
                QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            });
        double *row = figures[folder];
        removeNote();
        row[0] = onceMs(create); // the first write in the folder this run reads it once
        row[1] = medianMs([] {}, save, FileRuns);
        row[2] = medianMs(removeNote, create, FileRuns);
        std::printf(
            "%10d %14.2f %14.2f %14.3f %14.3f\n", folder == 0 ? 0 : Notes, listing, row[0], row[1], row[2]);
    }
    std::printf("%10s %14s %14.2f %14.3f %14.3f\n", "more", "", figures[1][0] - figures[0][0],
        figures[1][1] - figures[0][1], figures[1][2] - figures[0][2]);
    qc::setNoteLauncherForTesting({});
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    qc::setProgramFilePathForTesting(dir.filePath(QStringLiteral("quorvelcal")));
    qc::setClockSourceForTesting([] { return QDateTime(QDate(2023, 6, 15), QTime(12, 0)); });
    int messages = 0;
    qc::setMessageHookForTesting([&messages](qc::MessageKind, const QString &, const QString &) {
        ++messages;
        return true;
    });
    const QString path = qc::birthdayFilePath();
    if (argc > 1 && qstrcmp(argv[1], "--files") == 0) {
        filesBesideNotes(true);
        filesBesideNotes(false);
        return 0;
    }

    std::printf("%10s %14s %14s %14s %14s %10s\n", "entries", "load+show ms", "add one ms", "save ms",
        "check ms", "reminders");
    double previous[4] = {};
    for (const int count : { 1000, 10000, 100000 }) {
        const QByteArray file = makeFile(count);
        TSetupForm form;

        const double load = medianMs(
            [&] {
                form.hide();
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
                    qFatal("cannot write the birthday file");
            },
            [&] {
                form.LoadBirthdays();
                form.show();
                QCoreApplication::processEvents();
            });

        auto *month = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        auto *day = form.findChild<QLineEdit *>(QStringLiteral("Edit2"));
        auto *name = form.findChild<QLineEdit *>(QStringLiteral("Edit3"));
        const double add = medianMs(
            [&] {
                month->setText(QStringLiteral("6"));
                day->setText(QStringLiteral("15"));
                name->setText(QStringLiteral("Zhang"));
            },
            [&] {
                form.BitBtn2Click();
                QCoreApplication::processEvents();
            });

        const double save = medianMs([&] { form.show(); }, [&] { form.BitBtn1Click(); });

        messages = 0;
        const double check = medianMs([] {}, [&] { form.BitBtn4Click(); });
        const int reminders = messages / Runs;

        // Where the time goes, without the widgets.
        const qc::BirthdayFileContents contents = qc::parseBirthdayFile(file);
        const double parse = medianMs([] {}, [&] { qc::parseBirthdayFile(file); });
        const double decode = medianMs([] {}, [&] { qc::cp936::decodeEach(contents.entries); });
        const double serialize = medianMs([] {}, [&] { qc::serializeBirthdayFile(3, contents.entries); });
        const double due = medianMs(
            [] {}, [&] { qc::dueBirthdayReminders(qc::today(), contents.entries, qc::DefaultRemindDays); });
        std::printf("%10s parse %.2f ms, decode %.2f ms, serialize %.2f ms, reminder texts %.2f ms\n",
            "core:", parse, decode, serialize, due);

        std::printf("%10d %14.2f %14.3f %14.2f %14.2f %10d\n", count, load, add, save, check, reminders);
        if (previous[0] > 0)
            std::printf("%10s %13.1fx %13.1fx %13.1fx %13.1fx\n", "growth", load / previous[0],
                add / previous[1], save / previous[2], check / previous[3]);
        previous[0] = load;
        previous[1] = add;
        previous[2] = save;
        previous[3] = check;
    }
    filesBesideNotes(true);
    filesBesideNotes(false);
    qc::setMessageHookForTesting({});
    qc::setClockSourceForTesting({});
    qc::setProgramFilePathForTesting(QString());
    return 0;
}
