// Notepad from the Windows directory as the editor of a note.
#include "daynotes.h"
#include "daynotes_p.h"

#include "platform.h"

#include <QDir>
#include <QProcess>

namespace qc {

EditorCommand editorCommand(const QString &notePath)
{
    // Notepad takes the whole command tail as the file name, so the path is passed unquoted.
    return { platform::windowsDirectory() + QStringLiteral("\\NOTEPAD.EXE"), {},
        QDir::toNativeSeparators(notePath) };
}

void startDetached(const EditorCommand &command)
{
    QProcess process;
    process.setProgram(command.program);
    process.setNativeArguments(command.nativeArguments);
    // Notepad always exists: whether it started is deliberately not checked.
    process.startDetached();
}

} // namespace qc
