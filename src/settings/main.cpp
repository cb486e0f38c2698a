// zimbrel-settings: edits the password length and the allowed characters in settings.ini.

#include "settings/formsettings.h"

#include "platform/clipboard.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // X11 (also through XWayland) wherever there is a display, so that placement and drags work.
    zimbrel::applyPlatformChoice();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-settings"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));

    zimbrel::FormSettings form;
    QObject::connect(&form, &zimbrel::FormSettings::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    form.show();
    return app.exec();
}
