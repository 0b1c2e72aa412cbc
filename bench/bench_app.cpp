// Start-up, memory and idle figures of the whole program, each beside a bare Qt window of the
// same size that this benchmark builds as the floor. Every sample is a fresh process (this
// executable again, in child mode), timed from just before it is started to the end of the first
// frame the main window paints; the figure printed is the median of several runs after a warm-up.
//
// The child repeats main()'s start-up sequence over the real windows rather than timing the
// program's executable: the offscreen platform gives an outside observer nothing to see, and this
// way both platforms are measured alike. Keep the sequence in step with src/app/main.cpp.
//
// Beside the times it counts the instructions to the first frame under callgrind (all threads, from
// the first instruction of the process): unlike a time, that count is the same on a busy machine.
//
//   bench_app [runs]            start-up and memory, with no birthday file and with 1,000 birthdays
//   bench_app --idle [seconds]  processor time and repainted widgets of a running, idle program
//   bench_app --callgrind       instructions to the first frame in C.UTF-8 and zh_CN.UTF-8
#include "components/glyphs.h"
#include "core/birthdays.h"
#include "core/clock.h"
#include "core/programdir.h"
#include "fonts.h"
#include "fontwarmup.h"
#include "mainunit.h"
#include "messages.h"
#include "startup.h"
#include "usetup.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPaintEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A figure in kB from /proc/self/status: VmRSS (resident) or RssAnon (private, anonymous).
qint64 statusKb(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(key + ':')))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

QByteArray birthdayFile(int count)
{
    QRandomGenerator random(1000);
    QByteArray data(qc::BirthdayRecordSize * (count + 1), '\0');
    data[0] = char(qc::DefaultRemindDays);
    for (int i = 1; i <= count; ++i) {
        char *record = data.data() + i * qc::BirthdayRecordSize;
        record[0] = char(1 + random.bounded(12));
        record[1] = char(1 + random.bounded(28));
        const QByteArray name = "\xd5\xc5\xc8\xfd" + QByteArray::number(i); // two characters and a number
        record[2] = char(name.size());
        std::copy(name.cbegin(), name.cend(), record + 3);
    }
    return data;
}

// Notes the first paint of any widget in the window and reports once the frame it belongs to is
// done (the zero timer runs after the backing store has painted and flushed the whole window).
class FirstFrame : public QObject
{
public:
    explicit FirstFrame(std::function<void()> done)
        : m_done(std::move(done))
    { }

    // Paint events per widget, once counting starts.
    QMap<QString, int> paints;
    bool counting = false;
    // When the window system first exposed a window: it is mapped by then.
    qint64 exposed = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && exposed == 0 && watched->isWindowType())
            exposed = monotonicNs();
        if (event->type() == QEvent::Paint) {
            if (!m_seen) {
                m_seen = true;
                QTimer::singleShot(0, this, m_done);
            }
            if (counting) {
                const QString name = watched->objectName().isEmpty()
                    ? QString::fromLatin1(watched->metaObject()->className())
                    : watched->objectName();
                ++paints[name];
            }
        }
        return false;
    }

private:
    std::function<void()> m_done;
    bool m_seen = false;
};

int child(int argc, char *argv[])
{
    const bool bare = qstrcmp(argv[2], "bare") == 0;
    const bool measuredLabel = qstrcmp(argv[2], "measured-label") == 0;
    const bool label = measuredLabel || qstrcmp(argv[2], "label") == 0;
    const QString programDir = QString::fromLocal8Bit(argv[3]);
    const bool idle = qstrcmp(argv[4], "idle") == 0;
    const bool frameOnly = qstrcmp(argv[4], "frame") == 0;
    const int idleSeconds = argc > 5 ? atoi(argv[5]) : 10;

    // main()'s first step, for the program alone: the floors read the font configuration as Qt does.
    std::optional<qc::FontSystemWarmUp> fontWarmUp;
    if (!bare && !label)
        fontWarmUp.emplace();
    QApplication app(argc, argv);
    qc::setProgramFilePathForTesting(programDir + QStringLiteral("/quorvelcal"));
    // The reminders a real user would answer one by one are counted instead of shown.
    qc::setMessageHookForTesting([](qc::MessageKind, const QString &, const QString &) { return true; });

    FirstFrame probe([&] {
        const qint64 painted = monotonicNs();
        const double cpu = cpuMs();
        if (frameOnly)
            _exit(0); // callgrind counts to here
        if (!idle) {
            // Memory once the first frame is out and the loop has settled for a moment.
            QTimer::singleShot(300, [&probe, painted, cpu] {
                std::printf("%lld %lld %lld %.2f %lld\n", painted, statusKb("VmRSS"), statusKb("RssAnon"),
                    cpu, probe.exposed);
                std::fflush(stdout);
                _exit(0);
            });
            return;
        }
        QTimer::singleShot(2000, [&] {
            probe.counting = true;
            const double start = cpuMs();
            QTimer::singleShot(idleSeconds * 1000, [&, start] {
                std::printf("cpu %.2f\n", cpuMs() - start);
                for (auto it = probe.paints.cbegin(); it != probe.paints.cend(); ++it)
                    std::printf("paint %s %d\n", qPrintable(it.key()), it.value());
                std::fflush(stdout);
                _exit(0);
            });
        });
    });
    // Installed just before the window shows, so that it is the first filter to see the first
    // paint (the last installed comes first): the frame's end is stamped before anything the
    // program itself leaves for after its first frame.
    if (bare) {
        QWidget window;
        window.resize(560, 420);
        app.installEventFilter(&probe);
        window.show();
        return app.exec();
    }
    if (label) {
        // The bare window plus one word of Chinese text in the month grid's face: what any window
        // with Chinese text pays for the font system, to tell that cost from the program's own.
        QLabel window(QStringLiteral("日历"));
        QFont font(QStringLiteral("AR PL UMing CN"));
        font.setPixelSize(16);
        window.setFont(font);
        window.resize(560, 420);
        // The same window doing its font work before it shows, as the program must: it measures
        // its text first.
        if (measuredLabel)
            (void)window.sizeHint();
        app.installEventFilter(&probe);
        window.show();
        return app.exec();
    }

    // main()'s sequence.
    qc::prepareApplication(app);
    fontWarmUp->wait();
    qc::ProgramWindows windows;
    windows.loadAndRemind();
    app.installEventFilter(&probe);
    windows.mainform.show();
    return app.exec();
}

struct Sample
{
    double ms = 0;
    double kb = 0;
    double anonKb = 0;
    double cpuMs = 0;
    double mappedMs = 0;
};

Sample runOnce(const QString &kind, const QString &dir)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = monotonicNs();
    process.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--child"), kind, dir, QStringLiteral("paint") });
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("child %s failed", qPrintable(kind));
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    return { double(fields.value(0).toLongLong() - started) / 1e6, fields.value(1).toDouble(),
        fields.value(2).toDouble(), fields.value(3).toDouble(),
        double(fields.value(4).toLongLong() - started) / 1e6 };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void startup(int runs)
{
    QTemporaryDir empty;
    QTemporaryDir full;
    QFile file(full.filePath(QStringLiteral("quorvelcal.CFG")));
    if (!file.open(QIODevice::WriteOnly) || file.write(birthdayFile(1000)) < 0)
        qFatal("cannot write the birthday file");
    file.close();

    struct Case
    {
        const char *label;
        QString kind;
        QString dir;
        std::vector<double> ms;
        std::vector<double> kb;
        std::vector<double> anonKb;
        std::vector<double> cpuMs;
        std::vector<double> mappedMs;
    };
    std::vector<Case> cases {
        { "bare Qt window", QStringLiteral("bare"), empty.path(), {}, {}, {}, {}, {} },
        { "window with one CJK label", QStringLiteral("label"), empty.path(), {}, {}, {}, {}, {} },
        { "label measured before show", QStringLiteral("measured-label"), empty.path(), {}, {}, {}, {}, {} },
        { "program, no birthday file", QStringLiteral("app"), empty.path(), {}, {}, {}, {}, {} },
        { "program, 1,000 birthdays", QStringLiteral("app"), full.path(), {}, {}, {}, {}, {} },
    };
    for (Case &c : cases)
        runOnce(c.kind, c.dir); // warm-up: file cache, font cache
    // Interleaved, so drift in the machine's load touches every case alike.
    for (int run = 0; run < runs; ++run) {
        for (Case &c : cases) {
            const Sample sample = runOnce(c.kind, c.dir);
            c.ms.push_back(sample.ms);
            c.kb.push_back(sample.kb);
            c.anonKb.push_back(sample.anonKb);
            c.cpuMs.push_back(sample.cpuMs);
            c.mappedMs.push_back(sample.mappedMs);
        }
    }
    // Ratios against the bare window (the floor) and against the one-label window (the floor
    // for any window with Chinese text).
    const Case &bare = cases[0];
    const Case &label = cases[1];
    const auto ratios = [&bare, &label](const Case &c, const auto member) {
        const double value = median(c.*member);
        return QStringLiteral("%1 / %2")
            .arg(value / median(bare.*member), 0, 'f', 2)
            .arg(value / median(label.*member), 0, 'f', 2);
    };
    std::printf("start-up to first frame, platform %s, median of %d runs\n",
        qPrintable(QGuiApplication::platformName()), runs);
    std::printf("  %-28s %7s %6s %6s %8s %8s   %-17s %-17s %-17s\n", "", "ms", "min", "max", "RSS kB",
        "anon kB", "time x bare/label", "RSS x bare/label", "anon x bare/label");
    for (const Case &c : cases) {
        std::printf("  %-28s %7.1f %6.1f %6.1f %8.0f %8.0f   %-17s %-17s %-17s\n", c.label, median(c.ms),
            *std::min_element(c.ms.begin(), c.ms.end()), *std::max_element(c.ms.begin(), c.ms.end()),
            median(c.kb), median(c.anonKb), qPrintable(ratios(c, &Case::ms)),
            qPrintable(ratios(c, &Case::kb)), qPrintable(ratios(c, &Case::anonKb)));
    }
    std::printf(
        "  targets for the program: time within 1.3 x the label window, resident memory within 1.2 x\n");
    // The processor time the process spent to its first frame, and the time from the start to the
    // window system's first expose of a window (it is mapped by then). The floors map their window
    // before they touch a font; the program measures its texts before it shows the main window.
    std::printf(
        "  %-28s %7s %17s %9s %17s\n", "", "CPU ms", "CPU x bare/label", "mapped ms", "mapped x bare/label");
    for (const Case &c : cases) {
        std::printf("  %-28s %7.1f %17s %9.1f %17s\n", c.label, median(c.cpuMs),
            qPrintable(ratios(c, &Case::cpuMs)), median(c.mappedMs), qPrintable(ratios(c, &Case::mappedMs)));
    }
    std::printf("  targets for the program: CPU within 1.15 x the label window, mapped within 1.5 x bare\n");
    // Against the label window that measures its text before it shows: the same font work before
    // the window is mapped.
    const double measuredMapped = median(cases[2].mappedMs);
    for (size_t i = 3; i < cases.size(); ++i) {
        std::printf("  %-28s mapped x label measured before show: %.2f\n", cases[i].label,
            median(cases[i].mappedMs) / measuredMapped);
    }
}

// Instructions from exec to the end of the first frame, all threads, as callgrind counts them.
double instructions(const QString &kind, const QString &dir, const QString &locale)
{
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("callgrind.out"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), locale);
    environment.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process.start(QStringLiteral("valgrind"),
        { QStringLiteral("--tool=callgrind"), QStringLiteral("--quiet"),
            QStringLiteral("--callgrind-out-file=") + file, QCoreApplication::applicationFilePath(),
            QStringLiteral("--child"), kind, dir, QStringLiteral("frame") });
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        qFatal("callgrind of %s failed (is valgrind installed?)", qPrintable(kind));
    QFile counts(file);
    if (!counts.open(QIODevice::ReadOnly))
        qFatal("no callgrind output for %s", qPrintable(kind));
    for (const QByteArray &line : counts.readAll().split('\n')) {
        if (line.startsWith("summary:") || line.startsWith("totals:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toDouble();
    }
    qFatal("no instruction count for %s", qPrintable(kind));
}

void callgrind()
{
    QTemporaryDir empty;
    std::printf("instructions to first frame (callgrind, all threads), platform %s, no birthday file\n",
        qPrintable(QGuiApplication::platformName()));
    std::printf("  %-12s %10s %10s %10s   %-14s %s\n", "", "bare", "label", "program", "x label", "x bare");
    for (const char *locale : { "C.UTF-8", "zh_CN.UTF-8" }) {
        const QString name = QString::fromLatin1(locale);
        const double bare = instructions(QStringLiteral("bare"), empty.path(), name);
        const double label = instructions(QStringLiteral("label"), empty.path(), name);
        const double program = instructions(QStringLiteral("app"), empty.path(), name);
        std::printf("  %-12s %9.1fM %9.1fM %9.1fM   %-14.2f %.2f\n", locale, bare / 1e6, label / 1e6,
            program / 1e6, program / label, program / bare);
    }
    std::printf("  target for the program: within 1.30 x the label window\n");
}

void idleRun(int seconds)
{
    QTemporaryDir empty;
    std::printf(
        "idle for %d s after start-up, platform %s\n", seconds, qPrintable(QGuiApplication::platformName()));
    for (const char *kind : { "bare", "app" }) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--child"), QString::fromLatin1(kind), empty.path(), QStringLiteral("idle"),
                QString::number(seconds) });
        if (!process.waitForFinished((seconds + 60) * 1000) || process.exitCode() != 0)
            qFatal("idle child failed");
        std::printf("  %s:\n", kind);
        for (const QByteArray &line : process.readAllStandardOutput().trimmed().split('\n')) {
            if (line.startsWith("cpu "))
                std::printf("    processor time %s ms (target under 20 ms for the program)\n",
                    line.mid(4).constData());
            else
                std::printf("    repainted %s times: %s\n", line.split(' ').value(2).constData(),
                    line.split(' ').value(1).constData());
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 5 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc >= 2 && qstrcmp(argv[1], "--idle") == 0)
        idleRun(argc >= 3 ? atoi(argv[2]) : 10);
    else if (argc >= 2 && qstrcmp(argv[1], "--callgrind") == 0)
        callgrind();
    else
        startup(argc >= 2 ? atoi(argv[1]) : 7);
    return 0;
}
