// zimbrel-colorpicker: the colour picker as a command-line colour chooser.
//
//   zimbrel-colorpicker [COLOR]     COLOR as RRGGBB, #RRGGBB or #RGB (any case); black without one
//
// OK prints the chosen colour as #RRGGBB and exits 0; Cancel or closing the window prints nothing
// and exits 1; a bad argument exits 2. The last colour and mode are remembered in zimbrel.ini, the
// editor's own state file.

#include "platform/numerics.h"
#include "settings/colorpicker/colorargument.h"
#include "settings/colorpicker/frmcolorpicker.h"

#include "platform/clipboard.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <optional>

namespace {

constexpr char kUsage[] = "usage: zimbrel-colorpicker [COLOR]   (COLOR: RRGGBB, #RRGGBB or #RGB)";

} // namespace

int main(int argc, char **argv)
{
    // The arguments are looked at before any window-system work, so --help works anywhere.
    QString seed = QStringLiteral("000000");
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    for (const QString &argument : arguments) {
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            std::printf("%s\n\nOpens the colour picker seeded with COLOR (black without one).\n"
                        "OK prints the chosen colour as #RRGGBB and exits 0; Cancel exits 1; a bad\n"
                        "argument exits 2.\n",
                        kUsage);
            return 0;
        }
        if (argument == QStringLiteral("--version")) {
            std::printf("zimbrel-colorpicker %s\n", ZIMBREL_VERSION);
            return 0;
        }
    }
    if (arguments.size() > 1) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    if (arguments.size() == 1) {
        const auto color = zimbrel::parseColorArgument(arguments.first());
        if (!color) {
            std::fprintf(stderr, "zimbrel-colorpicker: not a colour: %s\n%s\n", qPrintable(arguments.first()), kUsage);
            return 2;
        }
        seed = *color;
    }

    // X11 (also through XWayland) wherever there is a display, so that placement and drags work.
    zimbrel::applyPlatformChoice();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-colorpicker"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));

    int result = 1;
    {
        zimbrel::picker::frmColorPicker dialog;
        dialog.setWindowTitle(QStringLiteral("zimbrel-colorpicker"));
        dialog.INIFileName = QStringLiteral("zimbrel.ini");
        dialog.Form_Load();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        dialog.move(screen.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
        // Seeded as the settings editor seeds it.
        dialog.setHexColor(seed);
        QCoreApplication::processEvents();
        dialog.txtHexColor_LostFocus();
        dialog.exec();
        if (!dialog.hexColor().isEmpty()) {
            auto channel = [&](int box) {
                return std::clamp(zimbrel::picker::wholeNumber(zimbrel::leadingNumber(dialog.numValue(box))), 0, 255);
            };
            std::printf("#%s\n", qPrintable(zimbrel::picker::hexText(channel(3), channel(4), channel(5))));
            std::fflush(stdout);
            result = 0;
        }
        dialog.Form_QueryUnload();
    }
    return result;
}
