// zimbrel-settings: edits the password length and the allowed characters in settings.ini.

#include "settings/formsettings.h"

#include "core/commandline.h"
#include "core/displaycheck.h"
#include "core/fdio.h"
#include "platform/clipboard.h"

#include <QApplication>

namespace {

constexpr char kHelp[] =
    "Edits the password length and the allowed characters that zimbrel-generator uses. The\n"
    "settings are read from settings.ini in the current folder, then from $XDG_CONFIG_HOME/zimbrel/\n"
    "(~/.config/zimbrel/), then from zimbrel/ in $XDG_CONFIG_DIRS (/etc/xdg). Save writes the file\n"
    "it read when that was the current folder's or the user's, otherwise\n"
    "$XDG_CONFIG_HOME/zimbrel/settings.ini. See zimbrel-settings(1).\n";

} // namespace

int main(int argc, char **argv)
{
    // Started with a standard descriptor closed, the first file opened would get its number.
    zimbrel::ensureStandardDescriptors();
    // Before the GUI toolkit starts: --help works without a display and opens no window.
    const zimbrel::CommandLine commandLine = zimbrel::readCommandLine(argc, argv, {"zimbrel-settings", "", kHelp});
    if (commandLine.exitCode >= 0)
        return commandLine.exitCode;
    // X11 (also through XWayland) wherever there is a display, so that placement and drags work.
    zimbrel::applyPlatformChoice();
    if (!zimbrel::windowSystemReachable("zimbrel-settings", qgetenv("QT_QPA_PLATFORM").toStdString()))
        return 1;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-settings"));
    // Wayland taskbars find the launcher, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("zimbrel-settings"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));

    zimbrel::FormSettings form;
    QObject::connect(&form, &zimbrel::FormSettings::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    form.show();
    return app.exec();
}
