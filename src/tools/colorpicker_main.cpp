// zimbrel-colorpicker: the colour picker as a command-line colour chooser.
//
//   zimbrel-colorpicker [COLOR]     COLOR as RRGGBB, #RGB, #RRGGBB, a colour name or rgb(R, G, B);
//                                   black without one
//
// OK prints the chosen colour as #RRGGBB and exits 0; Cancel or closing the window prints nothing
// and exits 1; a bad argument exits 2. The last colour and mode are remembered in zimbrel.ini, the
// editor's own state file.

#include "core/commandline.h"
#include "core/displaycheck.h"
#include "core/fdio.h"
#include "core/platformchoice.h"
#include "settings/colorpicker/colorargument.h"
#include "settings/colorpicker/frmcolorpicker.h"
#include "settings/colorpicker/pickerstate.h"
#include "settings/colorpicker/runpicker.h"
#include "shared/settingsfile.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace picker = zimbrel::picker;

namespace {

constexpr char kHelp[] = "Opens the colour picker seeded with COLOR (black without one). COLOR is RRGGBB, #RGB,\n"
                         "#RRGGBB, a colour name such as steelblue, or rgb(R, G, B); a colour with alpha is refused.\n"
                         "OK prints the chosen colour as #RRGGBB and exits 0; Cancel or closing the window prints\n"
                         "nothing and exits 1; a bad argument exits 2. See zimbrel-colorpicker(1).\n";

} // namespace

int main(int argc, char **argv)
{
    // Started with a standard descriptor closed, the first file opened would get its number, and
    // the chosen colour would be printed into it.
    zimbrel::ensureStandardDescriptors();
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
            std::fprintf(stderr,
                         "zimbrel-colorpicker: %s: %s\nusage: zimbrel-colorpicker [--help] [--version] [COLOR]\n",
                         qPrintable(argument), qPrintable(color.why));
            return 2;
        }
        seed = *color.color;
    }

    // X11 (also through XWayland) wherever there is a display, so that placement and drags work.
    zimbrel::applyPlatformChoiceToEnvironment();
    if (!zimbrel::windowSystemReachable("zimbrel-colorpicker", qgetenv("QT_QPA_PLATFORM").toStdString()))
        return 1;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-colorpicker"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));

    const uint rrggbb = seed.toUInt(nullptr, 16);
    const picker::BgrColor start = picker::bgr(int(rrggbb >> 16), int(rrggbb >> 8 & 0xFF), int(rrggbb & 0xFF));
    const auto chosen = picker::runColorPicker(nullptr, start, std::nullopt, [](picker::frmColorPicker &dialog) {
        dialog.setWindowTitle(QStringLiteral("zimbrel-colorpicker"));
        // A command's first run is no damaged installation: the state file starts quietly here.
        // (Inside the editor a missing file is reported, as a file that should be there.)
        const QString state = dialog.stateFilePath();
        if (!QFileInfo::exists(state) && !QFileInfo(state).isSymLink()) {
            zimbrel::makeFoldersFor(state);
            picker::writePickerState(state, 0, 0, {});
        }
    });
    if (!chosen)
        return 1;
    std::printf("#%s\n",
                qPrintable(picker::hexText(picker::redOf(*chosen), picker::greenOf(*chosen), picker::blueOf(*chosen))));
    std::fflush(stdout);
    return 0;
}
