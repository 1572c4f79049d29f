// Shared shell utilities: the program's folders, clearing a folder, the time text and the
// one place where user-facing messages leave the logic layers. GUI thread unless noted.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace kestrova {

// Folder of the program's own read-only files (the executable's folder, or KESTROVA_HOME
// when set), always ending in '/'. False and an empty text when it cannot be determined.
bool GetProgramFolder(QString& folder);
QString ProgramFolder();

// Folder for everything the program writes: KESTROVA_HOME when set, else the executable's
// folder when it is writable, else the per-user data folder (~/.local/share/Kestrova/).
// Ends in '/'; created when missing.
QString DataFolder();
// A read-only resource the program ships (the factory shortcut set, the demo lesson): beside
// the program in a build tree, under share/kestrova of the install prefix when installed.
QString ResourcePath(const QString& name);

// Whether a file can be created in `folder` (tried, not guessed from permissions).
bool FolderWritable(const QString& folder);

// Path of the settings profile, Kestrova.ini in the data folder.
QString ProfilePath();

// Deletes everything inside `folder` (read-only entries included: their permissions are
// reset first). A file that cannot be deleted is reported as "<path> delete failed!" and
// skipped. With `removeFolderToo` the folder itself goes as well. Always returns true.
bool RemoveFolderContents(const QString& folder, bool removeFolderToo);

// Time text of a time in hundredths of a second: "mm:ss.hh". Minutes keep counting past 59
// (360000 -> "60:00.00"); every 32-bit value has a text.
QString TimeText(std::uint32_t centiseconds);

// The local date and time now, in the learner's locale (as lists of added items show it).
QString LocalTimeText();

// User-facing messages raised by logic code (load errors, failed deletions). The GUI installs
// a handler that shows a message box; without one they go to the log.
enum class MessageKind { Error, Warning, Information };
using MessageHandler = std::function<void(MessageKind, const QString&)>;
void SetMessageHandler(MessageHandler handler);
void ShowMessage(MessageKind kind, const QString& text);

// Writes `bytes` as the whole of `path` through QSaveFile: the old file stays until the new
// one is complete on disk. Every step is checked, the final flush included (a full disk fails
// there, and a commit after it would put an empty file in place). `error` says why it failed.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The result of writing a piece of the learner's work to `path`. A failure is told to the learner
// once (which file, and why: `reason`, or what the folder shows) until a write of that file
// succeeds again; the writer keeps the previous good copy. Returns `ok`.
bool CheckWrite(const QString& path, bool ok, const QString& reason = QString());

// Process-wide flag: a piece of the open file's user data was written into Temp.
bool UserDataModified();
void SetUserDataModified(bool modified);

} // namespace kestrova
