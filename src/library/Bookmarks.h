// Bookmarks of media files: "Bookmarks.ini" in the program's data folder, one "path!time"
// line each (a path may itself hold "!": the time is after the last one), and the dialog
// that ticks, deletes and plays them. GUI thread.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QTreeWidget;

namespace kestrova {

struct Bookmark {
    QString path;
    QString added;
    bool operator==(const Bookmark&) const = default;
};

namespace bookmarks {
QString FilePath();
std::vector<Bookmark> Read(); // creates the file empty when missing
bool Write(const std::vector<Bookmark>& list);
bool Add(const QString& path);
} // namespace bookmarks

class CBookmarksDlg : public QDialog {
    Q_OBJECT
public:
    // `play` gets the ticked paths (empty: none ticked) and plays them from the playlist.
    CBookmarksDlg(std::function<void(const QStringList&)> play, QWidget* parent = nullptr);
    QTreeWidget* List() const { return m_list; }
    void TickAll();
    void DeleteTicked();
    void PlayTicked();

private:
    std::function<void(const QStringList&)> m_play;
    QTreeWidget* m_list;
};

} // namespace kestrova
