#include "pickerstate.h"

#include "core/installation.h"
#include "platform/numerics.h"
#include "platform/userstore.h"
#include "shared/settingsfile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace zimbrel::picker {
namespace {

// The whole number that ends just before a line's last character: the digit in front of the
// closing quote ("objOption3" in quotes -> 3), and a count of ten or more is read whole
// ("NumberOfPaths12" -> 12). Without its quotes the character before the last is the key's own
// ("objOption4" -> no number).
std::optional<qint64> numberBeforeTheLast(const QString &line)
{
    if (line.size() < 2)
        return std::nullopt;
    const QString inner = line.chopped(1);
    qsizetype start = inner.size();
    while (start > 0 && inner.at(start - 1).isDigit() && inner.at(start - 1).unicode() < 128)
        --start;
    if (start == inner.size())
        return std::nullopt;
    bool ok = false;
    const qint64 value = inner.mid(start, 18).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// A count up to this many paths is kept when fewer path lines follow, so that the next close
// writes the count with empty paths as the file announced it; a larger count (no real list has
// one) is not filled in, so a broken file cannot make the picker allocate or write without end.
constexpr qint64 kLargestFilledCount = 1000;

const QString kInvalidCall = QStringLiteral("Unknown error nr 5Invalid procedure call or argument");

const QString kInputPastEnd = QStringLiteral("Unknown error nr 62Input past end of file");

} // namespace

QString stateFilePath(const QString &programFolder, const QString &fileName)
{
    QString beside = programFolder + u'/' + fileName;
    const QFileInfo folder(programFolder);
    // An installed program's folder (/usr/bin) is the system's: a picker run there once as root
    // would leave a file that no package removes and no other user can write.
    const bool installed = !installationPrefixOf(QFile::encodeName(programFolder).toStdString()).empty();
    if (!installed && (QFileInfo::exists(beside) || (folder.isDir() && folder.isWritable())))
        return beside;
    return QFileInfo(userStorePath(QStringLiteral("x"))).path() + u'/' + fileName;
}

PickerStateRead readPickerState(const QString &path)
{
    PickerStateRead result;
    const FileText file = ReadFileText(path);
    if (file.failed()) {
        // The system's own number and text for what went wrong ("Too many levels of symbolic
        // links", "Permission denied", ...).
        const int error = file.errorNumber ? file.errorNumber : EIO;
        result.message =
            QStringLiteral("Unknown error nr %1%2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
        return result;
    }
    if (!QFileInfo(path).isFile()) {
        result.message = QStringLiteral("A file is missing, please reinstall!");
        return result;
    }
    return parsePickerState(file.text);
}

PickerStateRead parsePickerState(const QString &text)
{
    PickerStateRead result;
    // Lines end with CR LF. A line also ends at a lone CR, as line reading on Windows ends one, and
    // at a lone LF, which a file edited on Linux may have; every line the file holds is read.
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;

    if (lines.isEmpty()) {
        result.message = kInputPastEnd;
        return result;
    }
    if (const auto color = localeNumber(lines[0])) {
        // The colour is a 32-bit whole number; anything else fails the file here, as converting
        // it would.
        if (*color < -2147483648.0 || *color > 2147483647.0) {
            result.message = QStringLiteral("Unknown error nr 6Overflow");
            return result;
        }
        if (*color != std::floor(*color)) {
            result.message = QStringLiteral("Unknown error nr 13Type mismatch");
            return result;
        }
        result.state.oldColor = BgrColor(qint32(*color)) & 0x00FFFFFFu;
    }
    if (lines.size() < 3) {
        result.message = kInputPastEnd;
        return result;
    }
    if (lines[2].size() < 2) {
        result.message = kInvalidCall;
        return result;
    }
    const qint64 count = numberBeforeTheLast(lines[2]).value_or(0);
    // Only the lines that are there are read, however many the count announces.
    for (qint64 i = 1; i <= count; ++i) {
        if (3 + i - 1 >= lines.size()) {
            result.message = kInputPastEnd;
            // The list keeps the announced length, with empty paths, so that the next close
            // writes the count that other readers of the file rely on.
            if (count <= kLargestFilledCount) {
                while (result.state.paths.size() < count)
                    result.state.paths << QString();
            }
            return result;
        }
        // Each path without its first and last character (its quotes).
        const QString &path = lines[3 + i - 1];
        if (path.size() < 2) {
            result.message = kInvalidCall;
            return result;
        }
        result.state.paths << path.mid(1, path.size() - 2);
    }
    // The mode comes last, from the character before the last of line 2.
    if (lines[1].size() < 2) {
        result.message = kInvalidCall;
        return result;
    }
    const qint64 mode = numberBeforeTheLast(lines[1]).value_or(0);
    result.state.mode = mode >= 0 && mode <= 5 ? int(mode) : 0;
    return result;
}

QString pickerStateText(BgrColor newColor, int mode, const QStringList &paths)
{
    QStringList lines;
    lines << QString::number(newColor);
    lines << QStringLiteral("\"objOption%1\"").arg(mode);
    lines << QStringLiteral("\"NumberOfPaths%1\"").arg(paths.size());
    for (const QString &path : paths)
        lines << u'"' + path + u'"';
    return lines.join(QStringLiteral("\r\n"));
}

QString writePickerState(const QString &path, BgrColor newColor, int mode, const QStringList &paths)
{
    QDir().mkpath(QFileInfo(path).path());
    const QString error = WriteFileText(path, pickerStateText(newColor, mode, paths));
    return error.isEmpty() ? QString() : QStringLiteral("Unknown error") + error;
}

} // namespace zimbrel::picker
