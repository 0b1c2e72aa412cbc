// The watched editor process and the errors that reach the user after their handler has ended.
#include "editorprocess.h"

#include <QDir>
#include <QProcess>

namespace qc {

namespace {

LateErrorHandler &lateErrorHandler()
{
    static LateErrorHandler handler;
    return handler;
}

void reportLate(const QString &notePath)
{
    if (lateErrorHandler())
        lateErrorHandler()(std::make_exception_ptr(EEditorError(notePath)));
}

} // namespace

EEditorError::EEditorError(const QString &notePath)
    : Exception(QStringLiteral("无法启动文本编辑器打开日志：\n%1\n请用文本编辑器手动打开它")
                    .arg(QDir::toNativeSeparators(notePath)))
{ }

void setLateErrorHandler(LateErrorHandler handler)
{
    lateErrorHandler() = std::move(handler);
}

void startWatchedEditor(const EditorCommand &command)
{
    // Owned by nobody and deleted only once it has finished: deleting a QProcess kills what it
    // runs, and the editor must outlive the program.
    auto *process = new QProcess;
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    // No pipes: an editor writing to one after the program has gone would be killed by SIGPIPE.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    const QString notePath = command.arguments.value(0);
    QObject::connect(process, &QProcess::finished, process,
        [process, notePath](int exitCode, QProcess::ExitStatus status) {
            // A crash exit is the opener ended from outside, after it had started the editor.
            if (status == QProcess::NormalExit && exitCode != 0)
                reportLate(notePath);
            process->deleteLater();
        });
    QObject::connect(
        process, &QProcess::errorOccurred, process, [process, notePath](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            reportLate(notePath);
            process->deleteLater();
        });
    process->start();
}

} // namespace qc
