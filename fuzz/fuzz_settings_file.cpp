// settings.ini as both programs read it: any bytes read back as their Windows-1252 text (cut
// after the lines a reader needs), the generator's and the editor's splits agree, and two lines
// written by the editor read back as the same two lines.
#include "fuzzcheck.h"
#include "platform/cp1252.h"
#include "shared/settingsfile.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

using namespace zimbrel;

namespace {

QString scratchFile()
{
    // Memory-backed where possible: the editor's save syncs the file to disk every time.
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return folder + QStringLiteral("/zimbrel-fuzz-%1/settings.ini").arg(getpid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = [] {
        const QString p = scratchFile();
        QDir().mkpath(QFileInfo(p).path());
        // The scratch folder goes when the run ends.
        std::atexit([] { QDir(QFileInfo(scratchFile()).path()).removeRecursively(); });
        return p;
    }();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    const FileText whole = ReadFileText(path);
    FUZZ_CHECK(!whole.failed() && whole.text == fromAnsi(bytes));

    // The generator reads up to the second CR LF and splits; the editor pads with empty lines.
    const FileText two = ReadFileText(path, 2);
    FUZZ_CHECK(!two.failed() && whole.text.startsWith(two.text));
    const QStringList generatorLines = splitSettingsLines(two.text);
    QStringList editorLines = splitSettingsLines(two.text);
    while (editorLines.size() < 7)
        editorLines.append(QString());
    FUZZ_CHECK(editorLines.size() >= 2);
    for (int i = 0; i < 2 && i < generatorLines.size(); ++i)
        FUZZ_CHECK(generatorLines[i] == editorLines[i]);
    const QStringList allLines = splitSettingsLines(whole.text);
    for (int i = 0; i < 2 && i < allLines.size(); ++i)
        FUZZ_CHECK(generatorLines.value(i) == allLines[i]);

    // What the editor saves is what it reads next time.
    const QString set = editorLines[0];
    const QString length = editorLines[1];
    FUZZ_CHECK(WriteFileText(path, set + QStringLiteral("\r\n") + length).isEmpty());
    const QStringList again = splitSettingsLines(ReadFileText(path, 2).text + QStringLiteral("\r\n"));
    FUZZ_CHECK(again[0] == set && again[1] == length);
    return 0;
}
