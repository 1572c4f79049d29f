#include "Autostart.h"

#include "common/Util.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace kestrova::autostart {

QString EntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart/Kestrova.desktop";
}

QString QuotedArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(argument.begin(), argument.end(),
                     [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted;
    for (QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    // Inside a desktop entry's string value a backslash is itself escaped once more.
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return '"' + quoted + '"';
}

bool Set(bool on, const QString& program) {
    const QString path = EntryPath();
    if (!on) return !QFile::exists(path) || QFile::remove(path);
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Kestrova\n"
                             "Exec=" +
                             QuotedArgument(program).toUtf8() +
                             "\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return WriteWholeFile(path, entry);
}

} // namespace kestrova::autostart
