#include "UserData.h"

#include "common/AppSetting.h"
#include "common/Prompts.h"
#include "common/Util.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
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

QString Key(const QString& media, int length) {
    return QString::fromLatin1(
        QCryptographicHash::hash(media.toUtf8(), QCryptographicHash::Sha1).toHex().left(length));
}

// More than Info.ini: something the learner made.
bool HasWork(const QString& folder) {
    // The owner's name and the waveform (made again from the media) are no work.
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return std::any_of(names.begin(), names.end(), [](const QString& name) {
        return name != "Info.ini" && name != "peaks.dat";
    });
}

QDateTime Modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

// The first lines of an archiver's report, each cut short: a message box stays readable
// whatever an archive holds.
QStringList FirstLines(const QString& text, int count, qsizetype* total) {
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    if (total) *total = lines.size();
    QStringList first;
    for (const QString& line : lines.mid(0, count)) {
        const QString l = line.trimmed();
        first << (l.size() > 120 ? l.left(120) + QString::fromUtf8("…") : l);
    }
    return first;
}

QString ShortReport(const QString& text) {
    qsizetype total = 0;
    QString report = FirstLines(text, 5, &total).join('\n');
    if (total > 5) report += QString::fromUtf8("\n……（共 %1 行）").arg(total);
    return report;
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

void CUserData::Tell(const QString& text) const {
    if (m_prompts)
        m_prompts->Tell(MessageKind::Information, text);
    else
        ShowMessage(MessageKind::Information, text);
}

bool CUserData::Ask(const QString& question) const {
    return m_prompts && m_prompts->Ask(question);
}

void CUserData::AddPiece(IWorkPiece* piece, Phase phase) {
    m_pieces.emplace_back(piece, phase);
}

bool CUserData::WritePieces(Phase phase) {
    bool written = true;
    for (const auto& [piece, when] : m_pieces)
        if (when == phase) written = piece->WritePiece() && written;
    return written;
}

QString CUserData::ReadOwner(const QString& folder) {
    QFile f(folder + "/Info.ini");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool CUserData::WriteOwner(const QString& folder, const QString& media) {
    QDir().mkpath(folder);
    QString error;
    const bool written = WriteWholeFile(folder + "/Info.ini", media.toUtf8(), &error);
    return CheckWrite(folder + "/Info.ini", written, error);
}

QString CUserData::SkippedSummary(const QString& report) {
    // kestrova-pack's own report: "skipped N members:", the first few, "and M more".
    static const QRegularExpression header(QStringLiteral("skipped (\\d+) members?:"));
    static const QRegularExpression more(QStringLiteral("^and (\\d+) more$"));
    if (const auto counted = header.match(report); counted.hasMatch()) {
        QStringList lines = report.mid(counted.capturedEnd()).split('\n', Qt::SkipEmptyParts);
        QString tail;
        if (!lines.isEmpty())
            if (const auto m = more.match(lines.last().trimmed()); m.hasMatch()) {
                tail = QString::fromUtf8("\n……另有 %1 项").arg(m.captured(1));
                lines.removeLast();
            }
        return QString::fromUtf8("%1 项已跳过：\n").arg(counted.captured(1)) +
               FirstLines(lines.join('\n'), 5, nullptr).join('\n') + tail;
    }
    // Any other report: its lines count the members.
    qsizetype total = 0;
    const QStringList first = FirstLines(report, 5, &total);
    QString text = QString::fromUtf8("%1 项已跳过：\n").arg(total) + first.join('\n');
    if (total > first.size()) text += QString::fromUtf8("\n……另有 %1 项").arg(total - first.size());
    return text;
}

QString CUserData::BesideArchive(const QString& media) const {
    return m_ownName.contains(media) ? media + ".kud" : WithExtension(media, ".kud");
}

QString CUserData::UserArchive(const QString& media) {
    return DataFolder() + "UserData/" + QFileInfo(media).completeBaseName() + '-' + Key(media, 12) +
           ".kud";
}

QString CUserData::PendingFolder(const QString& media) {
    return PendingRoot() + Key(media, 16);
}

QString CUserData::ArchiveFor(const QString& media) {
    if (IsCourseware(media)) return media;
    // Asked each time: a folder that becomes writable again gets the work back beside the file.
    if (FolderWritable(QFileInfo(media).path())) return BesideArchive(media);
    const QString archive = UserArchive(media);
    QDir().mkpath(QFileInfo(archive).path());
    if (!m_toldWhere.contains(media)) {
        m_toldWhere.insert(media);
        Tell(QString::fromUtf8("“%1”所在的文件夹不能写入，学习数据保存在：%2")
                 .arg(QDir::toNativeSeparators(media), QDir::toNativeSeparators(archive)));
    }
    return archive;
}

QString CUserData::NewestArchiveFor(const QString& media) {
    if (IsCourseware(media)) return QFile::exists(media) ? media : QString();
    const QString beside = BesideArchive(media), user = UserArchive(media);
    const bool hasBeside = QFile::exists(beside), hasUser = QFile::exists(user);
    if (hasBeside && hasUser) return Modified(user) > Modified(beside) ? user : beside;
    return hasBeside ? beside : (hasUser ? user : QString());
}

bool CUserData::CheckDataFolder() {
    const QString folder = DataFolder();
    if (FolderWritable(folder)) return true;
    Tell(QString::fromUtf8("数据文件夹“%1”不能写入：学习数据、播放列表和设置都无法保存。%2")
             .arg(QDir::toNativeSeparators(folder),
                  qEnvironmentVariableIsEmpty("KESTROVA_HOME")
                      ? QString()
                      : QString::fromUtf8("\n（由 KESTROVA_HOME 指定）")));
    return false;
}

int CUserData::RunArchiver(const QStringList& args, QString* error) {
    QProcess process;
    process.setProgram(ArchiverPath());
    process.setArguments(args);
    Q_EMIT busyChanged(true);
    process.start();
    // The window stays painted while the archiver runs; the learner's input waits.
    if (process.waitForStarted(-1)) {
        while (!process.waitForFinished(30) && process.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    Q_EMIT busyChanged(false);
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

bool CUserData::KeepPending(const QString& media) {
    // Temp is needed for the next file: its contents move to a folder of their own, where they
    // replace older pieces of the same name.
    const QString pending = PendingFolder(media);
    QDir().mkpath(pending);
    QDir temp(TempFolder());
    bool kept = true;
    for (const QString& name : temp.entryList(QDir::Files | QDir::Hidden)) {
        const QString to = pending + '/' + name;
        QFile::remove(to);
        if (!QFile::rename(temp.filePath(name), to) && !QFile::copy(temp.filePath(name), to))
            kept = false;
    }
    // Temp's own Info.ini came along; a pending folder without one is told whose it is.
    return (ReadOwner(pending) == media || WriteOwner(pending, media)) && kept;
}

bool CUserData::MoveMissing(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDir source(from);
    bool moved = true;
    for (const QString& name : source.entryList(QDir::Files | QDir::Hidden)) {
        const QString target = to + '/' + name;
        if (QFile::exists(target)) continue;
        if (!QFile::rename(source.filePath(name), target) &&
            !QFile::copy(source.filePath(name), target))
            moved = false;
    }
    return moved;
}

void CUserData::PackPending() {
    QDir root(PendingRoot());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = root.filePath(name);
        const QString media = ReadOwner(folder);
        if (media.isEmpty()) continue;
        // Work saved since then is newer: the waiting pieces never replace it. They are taken
        // in beneath it when the file opens again.
        const QString newest = NewestArchiveFor(media);
        if (!newest.isEmpty() && Modified(newest) > Modified(folder + "/Info.ini")) continue;
        QString error;
        if (Pack(ArchiveFor(media), folder, &error)) RemoveFolderContents(folder, true);
    }
}

void CUserData::Recover() {
    const QString temp = TempFolder();
    const QString media = ReadOwner(temp);
    if (!media.isEmpty() && HasWork(temp)) {
        // Older work of the same file that waited for a chance goes in beneath the crash's.
        const QString pending = PendingFolder(media);
        const QString newest = NewestArchiveFor(media);
        if (ReadOwner(pending) == media &&
            (newest.isEmpty() || Modified(pending + "/Info.ini") >= Modified(newest)) &&
            MoveMissing(pending, temp))
            RemoveFolderContents(pending, true);
        QString error;
        if (!Pack(ArchiveFor(media), temp, &error)) {
            const bool kept = KeepPending(media);
            Tell(QString::fromUtf8("上次未保存的学习数据（%1）暂时无法打包：%2\n%3")
                     .arg(QDir::toNativeSeparators(media), ShortReport(error),
                          kept ? QString::fromUtf8("数据已保留，稍后会再次保存。")
                               : QString::fromUtf8("数据仍在 %1 中。")
                                     .arg(QDir::toNativeSeparators(temp))));
            if (!kept) return;
        }
    }
    RemoveFolderContents(temp, false);
    PackPending();
}

bool CUserData::SaveUserData(const QString& target, bool courseware) {
    const QString media = m_entry;
    const QString temp = TempFolder();
    const QString owner = ReadOwner(temp);
    if (!media.isEmpty() && !owner.isEmpty() && owner != media && HasWork(temp)) {
        // Temp still holds another file's work that nothing could take: this file's pieces
        // would overwrite it.
        m_atRisk = true;
        Tell(QString::fromUtf8("“%1”的学习数据仍在 %2 中，尚未保存；“%3”的学习数据这次没有保存。")
                 .arg(QDir::toNativeSeparators(owner), QDir::toNativeSeparators(temp),
                      QDir::toNativeSeparators(media)));
        return false;
    }
    if (!courseware) m_atRisk = m_stays = false;
    bool written = WritePieces(Phase::Always);
    if (!written) SetUserDataModified(true); // notes that could not be written are unsaved work
    if (media.isEmpty() || !UserDataModified()) {
        Q_EMIT releaseRequested();
        // Work of another file that nothing could take yet stays for the next opening.
        if (!courseware && (owner.isEmpty() || owner == media || !HasWork(temp)))
            RemoveFolderContents(temp, false);
        SetUserDataModified(false);
        return false;
    }
    if (!m_settings.AutoSaveCourseware &&
        !Ask(QString::fromUtf8("是否保存用户数据到音频文件目录下？"))) {
        // No to an export cancels the export only; the file's own work is decided on its own.
        if (!courseware) {
            SetUserDataModified(false);
            QFile::remove(temp + "/Info.ini"); // the learner said no: nothing to recover later
        }
        return false;
    }
    // A piece that cannot be written keeps its previous copy in Temp (each writer told the
    // learner which file and why); the rest is packed all the same, and the save is not a
    // success.
    written = WriteOwner(temp, media) && written;
    written = WritePieces(Phase::WhenModified) && written;
    SetUserDataModified(false);

    const bool exportCopy = courseware && !IsCourseware(media);
    if (courseware) {
        // A hard link where the file system allows it: the media is then read once, by the
        // archiver, instead of being copied first.
        std::error_code ec;
        std::filesystem::create_hard_link(media.toStdString(), (temp + "/audio.dat").toStdString(),
                                          ec);
        if (ec) QFile::copy(media, temp + "/audio.dat");
        QFile::copy(WithExtension(media, ".lrc"), temp + "/audio.lrc");
    }
    const QString archive = courseware ? target : ArchiveFor(media);
    QString error;
    bool packed = Pack(archive, temp, &error);
    if (!packed && !courseware && archive != UserArchive(media)) {
        // The media folder refused the archive (a full disk): the per-user folder takes it,
        // and reading takes the newer of the two.
        const QString user = UserArchive(media);
        QDir().mkpath(QFileInfo(user).path());
        QString again;
        packed = Pack(user, temp, &again);
        if (packed && !m_toldWhere.contains(media)) {
            m_toldWhere.insert(media);
            Tell(QString::fromUtf8("“%1”的学习数据无法保存在它所在的文件夹：%2\n已保存在：%3")
                     .arg(QDir::toNativeSeparators(media), ShortReport(error),
                          QDir::toNativeSeparators(user)));
        }
    }
    if (exportCopy) {
        // The copies belong to the courseware, not to this file's own user data.
        QFile::remove(temp + "/audio.dat");
        QFile::remove(temp + "/audio.lrc");
    }
    if (!packed) {
        if (!courseware) {
            // Temp is emptied only when its work is safe elsewhere; otherwise it stays for the
            // next opening or start-up to pack, and the file stays open (its channel too).
            const bool kept = KeepPending(media);
            if (kept) {
                Q_EMIT releaseRequested();
                RemoveFolderContents(temp, false);
            }
            m_atRisk = !kept;
            Tell(QString::fromUtf8("“%1”的学习数据未能保存：%2\n%3")
                     .arg(QDir::toNativeSeparators(media), ShortReport(error),
                          kept ? QString::fromUtf8("数据已保留，稍后会再次保存。")
                               : QString::fromUtf8("数据仍在 %1 中；在能保存之前不会打开其他文件。")
                                     .arg(QDir::toNativeSeparators(temp))));
        } else {
            Tell(QString::fromUtf8("课件“%1”未能保存：%2")
                     .arg(QDir::toNativeSeparators(archive), ShortReport(error)));
        }
        return false;
    }
    if (!courseware) {
        // A piece that failed to write (told already) lives only in the program: leaving the
        // file drops it, so the learner decides; staying keeps the file open, its work unsaved.
        if (!written &&
            !Ask(QString::fromUtf8("“%1”的部分学习数据未能写入。仍要离开这个文件吗？"
                                   "选“否”则留在这个文件，腾出空间后再保存。")
                     .arg(QDir::toNativeSeparators(media)))) {
            m_atRisk = m_stays = true;
            SetUserDataModified(true);
            return false;
        }
        Q_EMIT releaseRequested();
        RemoveFolderContents(temp, false);
        PackPending();
    }
    return written;
}

QString CUserData::Extract(const QString& archive, const QString& media) {
    // Into a fresh folder first: a failed extraction leaves Temp as it was.
    const QString fresh = DataFolder() + "Temp.new";
    RemoveFolderContents(fresh, true);
    QDir().mkpath(fresh);
    QString error;
    const int rc = RunArchiver({"e", "-O+", archive, fresh}, &error);
    if (rc != 0 && rc != 2) {
        Tell(QString::fromUtf8("无法读取“%1”的学习数据：%2")
                 .arg(QDir::toNativeSeparators(media), ShortReport(error)));
        RemoveFolderContents(fresh, true);
        return QString();
    }
    if (rc == 2)
        Tell(QString::fromUtf8("“%1”中有不安全或无法写出的内容，")
                 .arg(QDir::toNativeSeparators(archive)) +
             SkippedSummary(error));
    return fresh;
}

QString CUserData::LoadUserData(const QString& courseware) {
    const QString temp = TempFolder();
    QDir().mkpath(temp);
    const QString media = courseware.isEmpty() ? m_entry : courseware;
    // Work still in Temp is work a save could neither pack nor set aside. Another file's goes to
    // that file first; this file's own is newer than anything in its archive and stays.
    const QString left = ReadOwner(temp);
    bool unsaved = !media.isEmpty() && left == media && HasWork(temp);
    if (!unsaved) {
        if (!left.isEmpty() && HasWork(temp)) {
            QString error;
            if (!Pack(ArchiveFor(left), temp, &error) && !KeepPending(left)) {
                // Neither packed nor set aside: it stays in Temp, and this file opens without
                // its own work rather than over it.
                m_atRisk = true;
                Tell(QString::fromUtf8("“%1”的学习数据仍无法保存：%2\n数据仍在 %3 中。")
                         .arg(QDir::toNativeSeparators(left), ShortReport(error),
                              QDir::toNativeSeparators(temp)));
                return QString();
            }
        }
        m_atRisk = false;
        RemoveFolderContents(temp, false);
    }
    if (media.isEmpty()) return QString();

    // Newest wins: Temp's own leftovers, then the waiting work and the archive in the order
    // they were made, each adding only the pieces the newer ones lack.
    const QString pending = PendingFolder(media);
    const bool hasPending = ReadOwner(pending) == media;
    auto takePending = [&] {
        if (MoveMissing(pending, temp)) RemoveFolderContents(pending, true);
        unsaved = true;
    };
    QString archive = NewestArchiveFor(media);
    if (hasPending && (archive.isEmpty() || Modified(pending + "/Info.ini") >= Modified(archive)))
        takePending();
    if (!archive.isEmpty()) {
        QString fresh = Extract(archive, media);
        // name.kud of another file of the same folder (lesson1.mp3 and lesson1.wav): its work
        // is not this file's. This file keeps its own under name.ext.kud.
        const QString owner = fresh.isEmpty() ? QString() : ReadOwner(fresh);
        if (!IsCourseware(media) && !owner.isEmpty() && owner != media &&
            QFileInfo(owner).path() == QFileInfo(media).path()) {
            RemoveFolderContents(fresh, true);
            m_ownName.insert(media);
            Tell(QString::fromUtf8("%1 是“%2”的学习数据，没有载入；本文件的学习数据另存为 %3。")
                     .arg(QFileInfo(archive).fileName(), QFileInfo(owner).fileName(),
                          QFileInfo(BesideArchive(media)).fileName()));
            archive = NewestArchiveFor(media);
            fresh = archive.isEmpty() ? QString() : Extract(archive, media);
        }
        if (!fresh.isEmpty()) {
            MoveMissing(fresh, temp);
            RemoveFolderContents(fresh, true);
        }
    }
    if (ReadOwner(pending) == media) takePending(); // older than the archive: beneath it
    WriteOwner(temp, media); // a crash from here on leaves work that names its file
    // Work taken back in is not in the archive yet: the next save packs it.
    SetUserDataModified(unsaved);
    for (const auto& piece : m_pieces)
        piece.first->ReloadPiece();
    return IsCourseware(media) ? temp + "/audio.dat" : QString();
}

bool CUserData::Export(const QString& target) {
    if (target.isEmpty()) return false;
    WritePieces(Phase::Always);
    // An export is a copy for someone else: the file's own work still waits to be packed
    // beside the file when it did before.
    const bool unsaved = UserDataModified();
    SetUserDataModified(true);
    const bool exported = SaveUserData(target, true);
    SetUserDataModified(unsaved);
    return exported;
}

} // namespace kestrova
