#include "UserData.h"

#include "common/AppSetting.h"
#include "common/Util.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSaveFile>
#include <QVBoxLayout>
#include <filesystem>

namespace kestrova {

namespace {

QString WithExtension(const QString& media, const QString& ext) {
    const QFileInfo info(media);
    return info.path() + '/' + info.completeBaseName() + ext;
}

bool IsCourseware(const QString& path) {
    return path.endsWith(".kcw", Qt::CaseInsensitive);
}

QString PendingRoot() {
    return DataFolder() + "Pending/";
}

} // namespace

CUserData::CUserData(CAppSetting& settings, QObject* parent)
    : QObject(parent), m_settings(settings) {}

QString CUserData::TempFolder() {
    return DataFolder() + "Temp";
}

QString CUserData::ArchiverPath() {
    const QString env = qEnvironmentVariable("KESTROVA_PACK");
    if (!env.isEmpty()) return env;
    return QCoreApplication::applicationDirPath() + "/kestrova-pack";
}

QString CUserData::ReadOwner(const QString& folder) {
    QFile f(folder + "/Info.ini");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void CUserData::WriteOwner(const QString& folder, const QString& media) {
    QDir().mkpath(folder);
    QSaveFile out(folder + "/Info.ini");
    if (out.open(QIODevice::WriteOnly)) {
        out.write(media.toUtf8());
        out.commit();
    }
}

QString CUserData::ArchiveFor(const QString& media) {
    if (IsCourseware(media)) return media;
    if (m_archives.contains(media)) return m_archives.value(media);
    const QFileInfo info(media);
    QString archive = WithExtension(media, ".kud");
    if (!FolderWritable(info.path())) {
        const QString key = QString::fromLatin1(
            QCryptographicHash::hash(media.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
        QDir().mkpath(DataFolder() + "UserData");
        archive = DataFolder() + "UserData/" + info.completeBaseName() + '-' + key + ".kud";
        if (!m_toldWhere.contains(media) && m_hooks.tell) {
            m_toldWhere.insert(media);
            m_hooks.tell(
                QString::fromUtf8("“%1”所在的文件夹不能写入，学习数据保存在：%2")
                    .arg(QDir::toNativeSeparators(media), QDir::toNativeSeparators(archive)));
        }
    }
    m_archives.insert(media, archive);
    return archive;
}

int CUserData::RunArchiver(const QStringList& args, QString* error) {
    QProcess process;
    process.setProgram(ArchiverPath());
    process.setArguments(args);
    if (m_hooks.busy) m_hooks.busy(true);
    process.start();
    // The window stays painted while the archiver runs; the learner's input waits.
    if (process.waitForStarted(-1)) {
        while (!process.waitForFinished(30) && process.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (m_hooks.busy) m_hooks.busy(false);
    if (process.error() == QProcess::FailedToStart) {
        if (error) *error = QString::fromUtf8("找不到打包程序 %1").arg(ArchiverPath());
        return -1;
    }
    const QString err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (error) *error = err;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool CUserData::Pack(const QString& archive, const QString& folder, QString* error) {
    const int rc = RunArchiver({"a", "-O+", archive, folder}, error);
    return rc == 0;
}

void CUserData::KeepPending(const QString& media) {
    // Temp is needed for the next file: its contents move to a folder of their own.
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(media.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const QString pending = PendingRoot() + key;
    QDir().mkpath(pending);
    QDir temp(TempFolder());
    for (const QString& name : temp.entryList(QDir::Files | QDir::Hidden)) {
        QFile::remove(pending + '/' + name);
        if (!QFile::rename(temp.filePath(name), pending + '/' + name))
            QFile::copy(temp.filePath(name), pending + '/' + name);
    }
    WriteOwner(pending, media);
}

void CUserData::PackPending() {
    QDir root(PendingRoot());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = root.filePath(name);
        const QString media = ReadOwner(folder);
        if (media.isEmpty()) continue;
        QString error;
        if (Pack(ArchiveFor(media), folder, &error)) RemoveFolderContents(folder, true);
    }
}

void CUserData::Recover() {
    const QString temp = TempFolder();
    const QString media = ReadOwner(temp);
    const bool work = QDir(temp).entryList(QDir::Files).size() > 1; // more than Info.ini
    if (!media.isEmpty() && work) {
        QString error;
        if (!Pack(ArchiveFor(media), temp, &error)) {
            KeepPending(media);
            if (m_hooks.tell)
                m_hooks.tell(
                    QString::fromUtf8(
                        "上次未保存的学习数据（%1）暂时无法打包：%2\n数据已保留，稍后会再次保存。")
                        .arg(QDir::toNativeSeparators(media), error));
        }
    }
    RemoveFolderContents(temp, false);
    PackPending();
}

bool CUserData::SaveUserData(const QString& target, bool courseware) {
    if (m_hooks.saveNotes) m_hooks.saveNotes();
    const QString media = m_hooks.currentEntry ? m_hooks.currentEntry() : QString();
    const QString temp = TempFolder();
    if (media.isEmpty() || !UserDataModified()) {
        if (m_hooks.releaseChannel) m_hooks.releaseChannel();
        if (!courseware) RemoveFolderContents(temp, false);
        SetUserDataModified(false);
        return false;
    }
    if (!m_settings.AutoSaveCourseware &&
        !(m_hooks.ask && m_hooks.ask(QString::fromUtf8("是否保存用户数据到音频文件目录下？")))) {
        SetUserDataModified(false);
        QFile::remove(temp + "/Info.ini"); // the learner said no: nothing to recover later
        return false;
    }
    WriteOwner(temp, media);
    if (m_hooks.writePieces) m_hooks.writePieces();
    SetUserDataModified(false);

    const bool exportCopy = courseware && !IsCourseware(media);
    if (courseware) {
        // A hard link where the file system allows it: the media is then read once, by the
        // archiver, instead of being copied first.
        std::error_code ec;
        std::filesystem::create_hard_link(media.toStdString(), (temp + "/audio.dat").toStdString(), ec);
        if (ec) QFile::copy(media, temp + "/audio.dat");
        QFile::copy(WithExtension(media, ".lrc"), temp + "/audio.lrc");
    }
    const QString archive = courseware ? target : ArchiveFor(media);
    QString error;
    const bool packed = Pack(archive, temp, &error);
    if (exportCopy) {
        // The copies belong to the courseware, not to this file's own user data.
        QFile::remove(temp + "/audio.dat");
        QFile::remove(temp + "/audio.lrc");
    }
    if (!packed) {
        if (m_hooks.tell)
            m_hooks.tell(
                QString::fromUtf8("“%1”的学习数据未能保存：%2\n数据已保留，稍后会再次保存。")
                    .arg(QDir::toNativeSeparators(media), error));
        if (!courseware) {
            if (m_hooks.releaseChannel) m_hooks.releaseChannel();
            KeepPending(media);
            RemoveFolderContents(temp, false);
        }
        return false;
    }
    if (!courseware) {
        if (m_hooks.releaseChannel) m_hooks.releaseChannel();
        RemoveFolderContents(temp, false);
        PackPending();
    }
    return true;
}

QString CUserData::LoadUserData(const QString& courseware) {
    const QString temp = TempFolder();
    QDir().mkpath(temp);
    RemoveFolderContents(temp, false);
    const QString media = courseware.isEmpty()
                              ? (m_hooks.currentEntry ? m_hooks.currentEntry() : QString())
                              : courseware;
    if (media.isEmpty()) return QString();
    const QString archive = ArchiveFor(media);
    if (QFile::exists(archive)) {
        QString error;
        const int rc = RunArchiver({"e", "-O+", archive, temp}, &error);
        if (rc != 0 && rc != 2) {
            if (m_hooks.tell)
                m_hooks.tell(QString::fromUtf8("无法读取“%1”的学习数据：%2")
                                 .arg(QDir::toNativeSeparators(media), error));
            RemoveFolderContents(temp, false);
        } else if (rc == 2 && m_hooks.tell) {
            m_hooks.tell(QString::fromUtf8("“%1”中有不安全的内容，已跳过：\n%2")
                             .arg(QDir::toNativeSeparators(archive), error));
        }
        // name.kud of another file of the same folder (lesson1.mp3 and lesson1.wav): its work
        // is not this file's. This file keeps its own under name.ext.kud.
        const QString owner = ReadOwner(temp);
        if (!IsCourseware(media) && !owner.isEmpty() && owner != media &&
            QFileInfo(owner).path() == QFileInfo(media).path()) {
            RemoveFolderContents(temp, false);
            const QString own = media + ".kud";
            m_archives.insert(media, own);
            if (m_hooks.tell)
                m_hooks.tell(
                    QString::fromUtf8("%1 是“%2”的学习数据，没有载入；本文件的学习数据另存为 %3。")
                        .arg(QFileInfo(archive).fileName(), QFileInfo(owner).fileName(),
                             QFileInfo(own).fileName()));
            if (QFile::exists(own)) RunArchiver({"e", "-O+", own, temp}, nullptr);
        }
    }
    WriteOwner(temp, media); // a crash from here on leaves work that names its file
    SetUserDataModified(false);
    if (m_hooks.reloadPieces) m_hooks.reloadPieces();
    return IsCourseware(media) ? temp + "/audio.dat" : QString();
}

bool CUserData::Export(const QString& target) {
    if (target.isEmpty()) return false;
    SetUserDataModified(true);
    return SaveUserData(target, true);
}

QWidget* CreateWaitDlg(QWidget* parent) {
    auto* dialog = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setFixedSize(306, 67);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QString::fromUtf8("用户数据处理中，请稍候..."), dialog);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return dialog;
}

} // namespace kestrova
