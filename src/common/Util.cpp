#include "Util.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QtDebug>

namespace kestrova {

namespace {

QString WithSlash(QString path) {
    if (!path.isEmpty() && !path.endsWith('/')) path += '/';
    return path;
}

QString HomeOverride() {
    return qEnvironmentVariable("KESTROVA_HOME");
}

MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}

bool g_userDataModified = false;

QSet<QString>& FailedWrites() {
    static QSet<QString> failed;
    return failed;
}

} // namespace

bool GetProgramFolder(QString& folder) {
    const QString home = HomeOverride();
    if (!home.isEmpty()) {
        folder = WithSlash(QDir(home).absolutePath());
        return true;
    }
    const QString appDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (appDir.isEmpty()) {
        folder.clear();
        return false;
    }
    folder = WithSlash(appDir);
    return true;
}

bool FolderWritable(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(WithSlash(folder) + ".kestrova-probe-XXXXXX");
    return probe.open();
}

QString ProgramFolder() {
    QString folder;
    GetProgramFolder(folder);
    return folder;
}

QString ResourcePath(const QString& name) {
    const QString beside = QCoreApplication::applicationDirPath() + '/' + name;
    if (QFileInfo::exists(beside)) return beside;
    // A clean path: it is shown, and kept in the playlist.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kestrova/" + name);
}

QString DataFolder() {
    static QString cached;
    static QString cachedFor;
    const QString program = ProgramFolder();
    if (!cached.isEmpty() && cachedFor == program) return cached;
    QString folder = program;
    // An installed copy (its resources under the prefix, not beside it) never writes into
    // the program's folder, even where it could (run as root).
    const QString appDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const bool installed = !appDir.isEmpty() && !QFileInfo::exists(appDir + "/sc.dat") &&
                           QFileInfo::exists(appDir + "/../share/kestrova/sc.dat");
    if (!HomeOverride().isEmpty()) {
        QDir().mkpath(folder);
    } else if (folder.isEmpty() || installed || !FolderWritable(folder)) {
        folder = WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           "/Kestrova");
        QDir().mkpath(folder);
    }
    cached = folder;
    cachedFor = program;
    return folder;
}

QString ProfilePath() {
    return DataFolder() + "Kestrova.ini";
}

bool RemoveFolderContents(const QString& folder, bool removeFolderToo) {
    if (folder.isEmpty()) {
        QDir().rmdir(folder);
        return true;
    }
    QDir dir(folder);
    const auto entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (!entry.isSymLink())
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner |
                                            QFile::WriteOwner | QFile::ExeOwner);
        if (entry.isDir() && !entry.isSymLink()) {
            RemoveFolderContents(path, true);
        } else if (!QFile::remove(path)) {
            ShowMessage(MessageKind::Error, QDir::toNativeSeparators(path) + " delete failed!");
        }
    }
    if (removeFolderToo) QDir().rmdir(folder);
    return true;
}

QString TimeText(std::uint32_t centiseconds) {
    const std::uint32_t minutes = centiseconds / 6000;
    const std::uint32_t seconds = (centiseconds / 100) % 60;
    const std::uint32_t hundredths = centiseconds % 100;
    return QStringLiteral("%1:%2.%3")
        .arg(minutes, 2, 10, QChar('0'))
        .arg(seconds, 2, 10, QChar('0'))
        .arg(hundredths, 2, 10, QChar('0'));
}

QString LocalTimeText() {
    return QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

void SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

void ShowMessage(MessageKind kind, const QString& text) {
    if (Handler()) {
        Handler()(kind, text);
        return;
    }
    qWarning().noquote() << text;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.flush() && file.commit();
    if (!written) {
        if (error) *error = file.errorString();
        file.cancelWriting();
    }
    return written;
}

bool CheckWrite(const QString& path, bool ok, const QString& reason) {
    if (ok) {
        FailedWrites().remove(path);
        return true;
    }
    if (FailedWrites().contains(path)) return false;
    FailedWrites().insert(path);
    QString why = reason;
    if (why.isEmpty()) {
        const QString folder = QFileInfo(path).absolutePath();
        const QStorageInfo storage(folder);
        if (!FolderWritable(folder))
            why = QString::fromUtf8("文件夹不能写入");
        else if (storage.isValid() && storage.bytesAvailable() < 64 * 1024)
            why = QString::fromUtf8("磁盘已满");
        else
            why = QString::fromUtf8("写入失败");
    }
    ShowMessage(MessageKind::Error, QString::fromUtf8("无法保存“%1”：%2\n之前保存的内容保持不变。")
                                        .arg(QDir::toNativeSeparators(path), why));
    return false;
}

bool UserDataModified() {
    return g_userDataModified;
}
void SetUserDataModified(bool modified) {
    g_userDataModified = modified;
}

} // namespace kestrova
