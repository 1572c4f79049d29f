// The settings profile as a sectioned key=value text file with the semantics of the classic
// private-profile functions: a missing key or file gives the default, integers are read from
// their leading digits, strings are kept verbatim (surrounding quotes stripped), section and
// key names compare without regard to case, and sections and keys the program does not know
// are kept when the file is written. The file is written whole and atomically. Not
// thread-safe; the GUI thread owns it.
#pragma once

#include <QList>
#include <QString>

namespace kestrova {

// Leading-digits integer of a profile value: optional blanks, an optional sign, then digits;
// "abc" reads 0 and "12abc" reads 12. Values outside 32 bits wrap like the classic reader.
int ProfileInt(const QString& value);

class CIniFile {
public:
    // Reads the file; a missing or unreadable file leaves the profile empty and returns false.
    bool Load(const QString& path);
    // Writes the whole profile atomically (CR LF line ends); false when it cannot be written.
    bool Save(const QString& path) const;

    bool Contains(const QString& section, const QString& key) const;
    QString GetString(const QString& section, const QString& key, const QString& def) const;
    int GetInt(const QString& section, const QString& key, int def) const;
    // The value as it stands in the file (quotes kept); empty when missing.
    QString GetRaw(const QString& section, const QString& key) const;
    // Replaces the key's value where it stands, or appends it to its section (appended to
    // the file when new).
    void SetString(const QString& section, const QString& key, const QString& value);
    void SetInt(const QString& section, const QString& key, int value);

    QStringList Sections() const;
    QStringList Keys(const QString& section) const;

private:
    struct Line {
        QString key;  // empty for a comment or blank line kept as it stands
        QString text; // the value, or the whole raw line
    };
    struct Section {
        QString name;
        QList<Line> lines;
    };
    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;
    QList<Line> m_preamble;
    QList<Section> m_sections;
};

} // namespace kestrova
