// zimbrel-settings: edits the password length and the allowed characters in settings.ini.

#include "settings/formsettings.h"
#include "settings/shortcut.h"

#include "core/commandline.h"
#include "core/displaycheck.h"
#include "core/fdio.h"
#include "core/platformchoice.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr char kHelp[] =
    "Edits the password length and the allowed characters that zimbrel-generator uses. The\n"
    "settings are read from settings.ini in the current folder, then from $XDG_CONFIG_HOME/zimbrel/\n"
    "(~/.config/zimbrel/), then from zimbrel/ in $XDG_CONFIG_DIRS (/etc/xdg). Save writes the file\n"
    "it read when that was the current folder's or the user's, otherwise\n"
    "$XDG_CONFIG_HOME/zimbrel/settings.ini. See zimbrel-settings(1).\n"
    "\n"
    "  --shortcut KEYS   bind KEYS (Super+Shift+P, Ctrl+Alt+G: Super, Ctrl, Alt, Shift, then one\n"
    "                    key) to zimbrel-generator in the running desktop (GNOME, KDE Plasma, sway,\n"
    "                    i3, Xfce, Cinnamon, MATE); none takes it away; alone, it says what is bound\n"
    "  --force           with --shortcut: take the keys from another binding that has them\n";

constexpr char kUsage[] = "[--shortcut [KEYS|none] [--force]]";

} // namespace

int main(int argc, char **argv)
{
    // Started with a standard descriptor closed, the first file opened would get its number.
    zimbrel::ensureStandardDescriptors();
    // Before the GUI toolkit starts: --help works without a display and opens no window.
    const zimbrel::CommandLine commandLine = zimbrel::readCommandLine(
        argc, argv, {"zimbrel-settings", kUsage, kHelp, 0, {{"--shortcut", false, 0, 0, true}, {"--force"}}});
    if (commandLine.exitCode >= 0)
        return commandLine.exitCode;
    if (commandLine.has("--force") && !commandLine.has("--shortcut")) {
        std::fprintf(stderr,
                     "zimbrel-settings: --force goes with --shortcut\nusage: zimbrel-settings [--help] "
                     "[--version] %s\n",
                     kUsage);
        return 2;
    }
    // The hotkey needs no window and no display: D-Bus and the desktop's own tools.
    if (commandLine.has("--shortcut")) {
        QCoreApplication app(argc, argv);
        const zimbrel::shortcut::Outcome outcome =
            zimbrel::shortcut::run(commandLine.text("--shortcut"), commandLine.has("--force"));
        std::fprintf(outcome.status == 0 ? stdout : stderr, "zimbrel-settings: %s\n", outcome.said.c_str());
        if (outcome.status == 2)
            std::fprintf(stderr, "usage: zimbrel-settings [--help] [--version] %s\n", kUsage);
        return outcome.status;
    }
    // X11 (also through XWayland) wherever there is a display, so that placement and drags work.
    zimbrel::applyPlatformChoiceToEnvironment();
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
