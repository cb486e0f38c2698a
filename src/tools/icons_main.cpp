// zimbrel-icons OUTDIR: writes the padlock as OUTDIR/<N>x<N>/apps/zimbrel.png at the sizes the
// hicolor icon theme uses, so desktops and taskbars find a sharp icon at every size. Run by the
// build; not installed.

#include "shared/appicon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zimbrel-icons OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(folder) || !zimbrel::padlockImage(size).save(folder + QStringLiteral("/zimbrel.png"))) {
            std::fprintf(stderr, "zimbrel-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
