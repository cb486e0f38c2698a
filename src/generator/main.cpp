// zimbrel-generator: shows a fresh password for five seconds and leaves it on the clipboard.

#include "generator/mainform.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-generator"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));
    app.setQuitOnLastWindowClosed(false);

    zimbrel::MainForm form;
    QObject::connect(&form, &zimbrel::MainForm::ended, &app, [] { QCoreApplication::exit(0); });
    form.Form_Load();
    return app.exec();
}
