// Timing of the birthday list at 1,000, 10,000 and 100,000 entries: loading into the dialog and
// showing it, adding one entry to the full list, saving, and the reminder check. Prints the median
// of several runs and the growth from one size to the next (10x entries should cost about 10x).
#include "core/birthdays.h"
#include "core/clock.h"
#include "core/programdir.h"
#include "messages.h"
#include "usetup.h"

#include <QApplication>
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

double medianMs(const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    qc::setProgramFilePathForTesting(dir.filePath(QStringLiteral("quorvelcal")));
    qc::setClockSource([] { return QDateTime(QDate(2023, 6, 15), QTime(12, 0)); });
    int messages = 0;
    qc::setMessageHook([&messages](qc::MessageKind, const QString &, const QString &) {
        ++messages;
        return true;
    });
    const QString path = qc::birthdayFilePath();

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
        const double decode = medianMs([] {}, [&] { qc::decodeBirthdayEntries(contents.entries); });
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
    qc::setMessageHook({});
    qc::setClockSource({});
    qc::setProgramFilePathForTesting(QString());
    return 0;
}
