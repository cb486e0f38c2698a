#include "pickerstate.h"

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

// The whole number standing between a key and the closing quote ("objOption3" -> 3).
std::optional<qint64> numberAfterKey(const QString &line)
{
    if (line.size() < 2)
        return std::nullopt;
    const QString inner = line.endsWith(u'"') ? line.chopped(1) : line;
    qsizetype start = inner.size();
    while (start > 0 && inner.at(start - 1).isDigit() && inner.at(start - 1).unicode() < 128)
        --start;
    if (start == inner.size())
        return std::nullopt;
    bool ok = false;
    const qint64 value = inner.mid(start, 18).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

const QString kInputPastEnd = QStringLiteral("Unknown error nr 62Input past end of file");

} // namespace

QString stateFilePath(const QString &programFolder, const QString &fileName)
{
    const QString beside = programFolder + u'/' + fileName;
    const QFileInfo folder(programFolder);
    if (QFileInfo::exists(beside) || (folder.isDir() && folder.isWritable()))
        return beside;
    return QFileInfo(userStorePath(QStringLiteral("x"))).path() + u'/' + fileName;
}

PickerStateRead readPickerState(const QString &path)
{
    PickerStateRead result;
    const FileText file = ReadFileText(path);
    if (file.failed()) {
        result.message = QStringLiteral("Unknown error nr %1%2").arg(EACCES).arg(QString::fromLocal8Bit(std::strerror(EACCES)));
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
    // Lines end with CR LF; a file edited elsewhere may end them with LF alone.
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    if (!text.isEmpty() && text.endsWith(u'\n'))
        lines.removeLast();
    if (text.isEmpty())
        lines.clear();

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
        result.state.oldColor = ColorValue(qint32(*color)) & 0x00FFFFFFu;
    }
    if (lines.size() < 3) {
        result.message = kInputPastEnd;
        return result;
    }
    if (lines[2].size() < 2) {
        result.message = QStringLiteral("Unknown error nr 5Invalid procedure call or argument");
        return result;
    }
    const qint64 count = numberAfterKey(lines[2]).value_or(0);
    // Only the lines that are there are read, however many the count announces.
    for (qint64 i = 1; i <= count; ++i) {
        if (3 + i - 1 >= lines.size()) {
            result.message = kInputPastEnd;
            return result;
        }
        const QString &line = lines[3 + i - 1];
        result.state.paths << (line.size() >= 2 ? line.mid(1, line.size() - 2) : QString());
    }
    const qint64 mode = numberAfterKey(lines[1]).value_or(0);
    result.state.mode = mode >= 0 && mode <= 5 ? int(mode) : 0;
    return result;
}

QString pickerStateText(ColorValue newColor, int mode, const QStringList &paths)
{
    QStringList lines;
    lines << QString::number(newColor);
    lines << QStringLiteral("\"objOption%1\"").arg(mode);
    lines << QStringLiteral("\"NumberOfPaths%1\"").arg(paths.size());
    for (const QString &path : paths)
        lines << u'"' + path + u'"';
    return lines.join(QStringLiteral("\r\n"));
}

QString writePickerState(const QString &path, ColorValue newColor, int mode, const QStringList &paths)
{
    QDir().mkpath(QFileInfo(path).path());
    const QString error = WriteFileText(path, pickerStateText(newColor, mode, paths));
    return error.isEmpty() ? QString() : QStringLiteral("Unknown error") + error;
}

} // namespace zimbrel::picker
