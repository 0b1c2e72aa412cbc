// The day notes: one plain-text file per calendar day beside the program, named after the date.
// The program never reads a note's text; it reports the note's size, makes sure the note exists
// and hands it to the text editor.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace qc {

// "YYMMDD.QVN": YY are the third and fourth digits of the year, so years a hundred apart share a note.
QString noteFileName(int year, int month, int day);
QString notePath(const QString &directory, int year, int month, int day);

// "[At]" + DateKey + CR LF in code page 936: the whole content of a note the program creates.
QByteArray noteHeader(int year, int month, int day);

// Length of the note in the program directory in bytes; 0 when it is missing or can't be read.
qint64 noteSize(int year, int month, int day);

// What starts the text editor. nativeArguments is used instead of arguments where the platform
// passes one raw command tail (Windows).
struct EditorCommand
{
    QString program;
    QStringList arguments;
    QString nativeArguments;
};
EditorCommand editorCommand(const QString &notePath);

// Starts the editor and does not wait for it. Tests replace it; an empty function restores the
// real one, which ignores a failure to start.
using NoteLauncher = std::function<void(const EditorCommand &command)>;
void setNoteLauncherForTesting(NoteLauncher launcher);

// Creates the note with its header line unless it exists (an existing note is never touched), then
// starts the editor on it. Throws EInOutError when the note can't be created; the editor is then not
// started and no note is left behind.
void openNote(int year, int month, int day);

} // namespace qc
