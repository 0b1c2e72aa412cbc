// The editor of a note where the desktop's opener chooses it.
#include "daynotes.h"
#include "daynotes_p.h"

#include "editorprocess.h"

namespace qc {

EditorCommand editorCommand(const QString &notePath)
{
    // One argument and no shell: no quoting or word splitting can change which file is opened.
    return { QStringLiteral("xdg-open"), { notePath }, {} };
}

void startDetached(const EditorCommand &command)
{
    // Where the desktop has no editor for the note, the opener says so by its exit status.
    startWatchedEditor(command);
}

} // namespace qc
