#include "IniFile.h"

#include "TextDecode.h"
#include "Util.h"

#include <QFile>

namespace kestrova {

int ProfileInt(const QString& value) {
    qsizetype i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    std::uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        result = result * 10u + std::uint32_t(value[i].unicode() - '0');
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

namespace {

QString StripQuotes(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

bool CIniFile::Load(const QString& path) {
    m_preamble.clear();
    m_sections.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString text = DecodeText(file.readAll());
    QList<Line>* target = &m_preamble;
    for (QString raw : text.split('\n')) {
        if (raw.endsWith('\r')) raw.chop(1);
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            const QString name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (Section* existing = Find(name)) {
                target = &existing->lines;
            } else {
                m_sections.append(Section{name, {}});
                target = &m_sections.back().lines;
            }
            continue;
        }
        const qsizetype eq = raw.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';')) {
            const QString key = raw.left(eq).trimmed();
            if (!key.isEmpty()) {
                target->append(Line{key, raw.mid(eq + 1).trimmed()});
                continue;
            }
        }
        target->append(Line{QString(), raw});
    }
    // The final split piece after the last line end is not a line of its own.
    if (!m_sections.isEmpty() && !m_sections.back().lines.isEmpty() &&
        m_sections.back().lines.back().key.isEmpty() &&
        m_sections.back().lines.back().text.isEmpty())
        m_sections.back().lines.removeLast();
    else if (m_sections.isEmpty() && !m_preamble.isEmpty() && m_preamble.back().text.isEmpty())
        m_preamble.removeLast();
    return true;
}

bool CIniFile::Save(const QString& path) const {
    QString out;
    auto writeLines = [&out](const QList<Line>& lines) {
        for (const Line& line : lines) {
            out += line.key.isEmpty() ? line.text : line.key + '=' + line.text;
            out += QStringLiteral("\r\n");
        }
    };
    writeLines(m_preamble);
    for (const Section& section : m_sections) {
        out += '[' + section.name + QStringLiteral("]\r\n");
        writeLines(section.lines);
    }
    return WriteWholeFile(path, EncodeText(out));
}

CIniFile::Section* CIniFile::Find(const QString& section) {
    for (Section& s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const CIniFile::Section* CIniFile::Find(const QString& section) const {
    return const_cast<CIniFile*>(this)->Find(section);
}

bool CIniFile::Contains(const QString& section, const QString& key) const {
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (line.key.compare(key, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString CIniFile::GetString(const QString& section, const QString& key, const QString& def) const {
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (line.key.compare(key, Qt::CaseInsensitive) == 0) return StripQuotes(line.text);
    return def;
}

QString CIniFile::GetRaw(const QString& section, const QString& key) const {
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (line.key.compare(key, Qt::CaseInsensitive) == 0) return line.text;
    return QString();
}

int CIniFile::GetInt(const QString& section, const QString& key, int def) const {
    if (!Contains(section, key)) return def;
    return ProfileInt(GetString(section, key, QString()));
}

void CIniFile::SetString(const QString& section, const QString& key, const QString& value) {
    Section* s = Find(section);
    if (!s) {
        m_sections.append(Section{section, {}});
        s = &m_sections.back();
    }
    for (Line& line : s->lines) {
        if (line.key.compare(key, Qt::CaseInsensitive) == 0) {
            line.text = value;
            return;
        }
    }
    // Keep blank lines at the section's end after the new key.
    qsizetype at = s->lines.size();
    while (at > 0 && s->lines[at - 1].key.isEmpty() && s->lines[at - 1].text.trimmed().isEmpty())
        --at;
    s->lines.insert(at, Line{key, value});
}

void CIniFile::SetInt(const QString& section, const QString& key, int value) {
    SetString(section, key, QString::number(value));
}

QStringList CIniFile::Sections() const {
    QStringList names;
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

QStringList CIniFile::Keys(const QString& section) const {
    QStringList keys;
    if (const Section* s = Find(section))
        for (const Line& line : s->lines)
            if (!line.key.isEmpty()) keys << line.key;
    return keys;
}

} // namespace kestrova
