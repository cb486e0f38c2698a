// zimbrel-colorpicker: the colour picker as a command-line colour chooser.
//
//   zimbrel-colorpicker [COLOR]     COLOR as RRGGBB, #RGB, #RRGGBB, a colour name or rgb(R, G, B);
//                                   black without one
//
// OK prints the chosen colour as #RRGGBB and exits 0; Cancel or closing the window prints nothing
// and exits 1; a bad argument exits 2. The last colour and mode are remembered in zimbrel.ini, the
// editor's own state file.

#include "platform/numerics.h"
#include "settings/colorpicker/colorargument.h"
#include "settings/colorpicker/frmcolorpicker.h"

#include "launch/commandline.h"
#include "platform/clipboard.h"
#include "settings/colorpicker/pickerstate.h"
#include "shared/settingsfile.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>
#include <optional>

namespace {

constexpr char kHelp[] =
    "Opens the colour picker seeded with COLOR (black without one). COLOR is RRGGBB, #RGB,\n"
    "#RRGGBB, a colour name such as steelblue, or rgb(R, G, B); a colour with alpha is refused.\n"
    "OK prints the chosen colour as #RRGGBB and exits 0; Cancel or closing the window prints\n"
    "nothing and exits 1; a bad argument exits 2. See zimbrel-colorpicker(1).\n";

} // namespace

int main(int argc, char **argv)
{
    // The arguments are looked at before any window-system work, so --help works anywhere.
    const zimbrel::CommandLine commandLine =
        zimbrel::readCommandLine(argc, argv, {"zimbrel-colorpicker", "[COLOR]", kHelp, 1});
    if (commandLine.exitCode >= 0)
        return commandLine.exitCode;
    QString seed = QStringLiteral("000000");
    if (!commandLine.arguments.empty()) {
        const QString argument = QString::fromLocal8Bit(commandLine.arguments.front());
        const zimbrel::ColorArgument color = zimbrel::readColorArgument(argument);
        if (!color.color) {
            std::fprintf(stderr, "zimbrel-colorpicker: %s: %s\nusage: zimbrel-colorpicker [--help] [--version] [COLOR]\n",
                         qPrintable(argument), qPrintable(color.why));
            return 2;
        }
        seed = *color.color;
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
        // A command's first run is no damaged installation: the state file starts quietly here.
        // (Inside the editor a missing file is reported, as a file that should be there.)
        const QString state = dialog.stateFilePath();
        if (!QFileInfo::exists(state) && !QFileInfo(state).isSymLink()) {
            zimbrel::makeFoldersFor(state);
            zimbrel::picker::writePickerState(state, 0, 0, {});
        }
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
