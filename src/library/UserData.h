// The learner's work on one media file: while the file is open it lives as separate pieces
// in Temp; it is packed into an archive beside the media file (name.kud) or back into the
// courseware it came from (.kcw) when another file opens or the program closes, and unpacked
// again when the file opens. The archiver is kestrova-pack, run as a child process while a
// wait window keeps the program painted. Temp is emptied only after its archive was written;
// work that cannot be packed waits in a pending folder and is packed at the next chance (or
// taken back into Temp when its file opens again, newer than the archive), and work left by a
// crash is packed at the next start. When the media folder cannot be written the archive goes
// to the per-user data folder; reading takes the newer of the two. GUI thread.
#pragma once

#include "common/WorkPiece.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <vector>

namespace kestrova {

class CAppSetting;

class IPrompts;

class CUserData : public QObject {
    Q_OBJECT
public:
    // `Always`: written at every save, before it is decided whether there is work to pack
    // (a changed piece marks the work); `WhenModified`: written only when there is.
    enum class Phase { Always, WhenModified };

    explicit CUserData(CAppSetting& settings, QObject* parent = nullptr);
    void AddPiece(IWorkPiece* piece, Phase phase);
    void SetPrompts(IPrompts* prompts) { m_prompts = prompts; }
    // The playlist entry whose work Temp holds ("" for none).
    void SetCurrentEntry(const QString& entry) { m_entry = entry; }
    const QString& CurrentEntry() const { return m_entry; }

    static QString TempFolder();
    // The archiver: KESTROVA_PACK, else kestrova-pack beside the program.
    static QString ArchiverPath();
    // The archive a media file's user data is written to: name.kud beside it; name.ext.kud
    // when name.kud belongs to another file of that folder; in the per-user data folder
    // (UserData/name-<hash>.kud) while the media folder cannot be written.
    QString ArchiveFor(const QString& media);
    // The archive its user data is read from: the newer of the one beside it and the one in
    // the per-user data folder ("" when neither exists).
    QString NewestArchiveFor(const QString& media);
    // At start: tells the learner when the data folder (Temp, the profile, the playlist)
    // cannot be written. False then.
    bool CheckDataFolder();

    // Saves the open file's work (an empty target) or exports a courseware (a target and
    // the courseware flag). False when nothing was packed or a piece could not be written.
    bool SaveUserData(const QString& target = QString(), bool courseware = false);
    // The last save could neither pack the open file's work nor set it aside, or a piece of
    // it failed to write and the learner chose to stay: no other file may open until it is
    // safe.
    bool WorkAtRisk() const { return m_atRisk; }
    // The learner chose to stay with a file whose piece failed to write (closing waits too;
    // work only in Temp, by contrast, survives a restart).
    bool LearnerStays() const { return m_stays; }
    // Unpacks the work of the entry about to open (a courseware path, or empty for the
    // current entry's .kud). Returns the media to open for a courseware (Temp/audio.dat).
    QString LoadUserData(const QString& courseware);
    // At start-up: work a crash left in Temp, and work that could not be packed before, is
    // packed into the archives of the files it belongs to.
    void Recover();
    // The export command with its chosen path. An export is a copy: the open file's own work
    // still counts as unsaved afterwards when it did before.
    bool Export(const QString& target);

    // Runs the archiver; 0 done, 2 done with members refused, other values failed.
    int RunArchiver(const QStringList& args, QString* error);

    // The archiver's report of refused members, short enough for a message box: how many,
    // and the first few.
    static QString SkippedSummary(const QString& report);

Q_SIGNALS:
    // The engine must let go of the media file (its work is packed, or the courseware is
    // rewritten).
    void releaseRequested();
    // The archiver runs: a wait window keeps the learner informed.
    void busyChanged(bool busy);

private:
    bool Pack(const QString& archive, const QString& folder, QString* error);
    bool KeepPending(const QString& media);
    void PackPending();
    QString BesideArchive(const QString& media) const;
    static QString UserArchive(const QString& media);
    static QString PendingFolder(const QString& media);
    // Unpacks `archive` into a fresh folder beside Temp; "" when the archiver failed (told).
    QString Extract(const QString& archive, const QString& media);
    // Moves the files of `from` into `to` where `to` has no file of that name yet.
    static bool MoveMissing(const QString& from, const QString& to);
    void Tell(const QString& text) const;
    bool Ask(const QString& question) const;
    bool WritePieces(Phase phase);
    static QString ReadOwner(const QString& folder);
    static bool WriteOwner(const QString& folder, const QString& media);

    CAppSetting& m_settings;
    IPrompts* m_prompts = nullptr;
    QString m_entry;
    std::vector<std::pair<IWorkPiece*, Phase>> m_pieces;
    QSet<QString> m_ownName; // media whose name.kud belongs to another file: name.ext.kud
    QSet<QString> m_toldWhere;
    bool m_atRisk = false;
    bool m_stays = false;
};

} // namespace kestrova
