// zimbrel-generator-window: the generator's window, started by zimbrel-generator.
//
//   zimbrel-generator-window [--password-fd N --copied A
//                             [--keeper-pid P --keeper-status-fd S]]
//
// zimbrel-generator makes the password and hands it to a clipboard keeper before this program
// (and with it the GUI toolkit) is loaded; the password then comes through the pipe N, as
// Windows-1252 bytes, with the keeper's answer A (a KeeperAnswer character). The
// keeper P is a child of this process, which keeps zimbrel-generator's process; its status pipe S
// says when the password stops being the clipboard's content. Without --password-fd this program
// does it all itself.

#include "generator/deadline.h"
#include "generator/mainform.h"
#include "core/engine.h"
#include "core/fdio.h"
#include "clipboard/clipboardhandoff.h"
#include "core/platformchoice.h"
#include "core/secret.h"
#include "platform/wipe.h"
#include "platform/cp1252.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

int number(const char *text)
{
    return int(std::strtol(text, nullptr, 10));
}

} // namespace

int main(int argc, char **argv)
{
    zimbrel::ensureStandardDescriptors();
    // The core dump setting and the ptrace protection do not survive exec: set again here.
    zimbrel::makeUndumpable();
    // Five seconds through the event loop, and a few more whatever the GUI toolkit does.
    zimbrel::armDeadline(zimbrel::MainForm::kLifetimeMs / 1000 + 3);
    // zimbrel-generator has checked the display before it started this program.
    zimbrel::applyPlatformChoiceToEnvironment();
    int passwordFd = -1;
    zimbrel::StartedHelper keeper;
    int clearAfter = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--password-fd") == 0)
            passwordFd = number(argv[i + 1]);
        else if (std::strcmp(argv[i], "--copied") == 0)
            keeper.answer = zimbrel::KeeperAnswer(argv[i + 1][0]);
        else if (std::strcmp(argv[i], "--keeper-pid") == 0)
            keeper.pid = number(argv[i + 1]);
        else if (std::strcmp(argv[i], "--clear-after") == 0)
            clearAfter = number(argv[i + 1]);
        else if (std::strcmp(argv[i], "--keeper-status-fd") == 0)
            keeper.statusFd = number(argv[i + 1]) > STDERR_FILENO ? number(argv[i + 1]) : -1;
    }

    // A user at the limit of processes or descriptors: the toolkit would hang or abort. No window
    // then, and said at once.
    if (const char *why = zimbrel::whyNoToolkit()) {
        if (passwordFd > STDERR_FILENO)
            close(passwordFd);
        std::fprintf(stderr, "zimbrel-generator: cannot show the window: %s; %s\n", why,
                     keeper.answer == zimbrel::KeeperAnswer::Owned ? "the password is on the clipboard"
                                                                   : "no password was copied");
        return 1;
    }

    QString password;
    zimbrel::ClipboardHandOff handOff;
    if (passwordFd > STDERR_FILENO) {
        std::string bytes = zimbrel::readAll(passwordFd, zimbrel::engine::kLongest);
        close(passwordFd);
        password = zimbrel::fromAnsi(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        zimbrel::wipeString(bytes);
        if (keeper.statusFd >= 0)
            fcntl(keeper.statusFd, F_SETFD, FD_CLOEXEC);
        handOff.adopt(keeper);
    } else {
        // The password first: made and handed to a keeper before the window exists.
        password = zimbrel::MainForm::makePassword();
        handOff.start(password, qgetenv("QT_QPA_PLATFORM"), clearAfter);
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-generator"));
    // Wayland taskbars find the launcher, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("zimbrel-generator"));
    app.setApplicationVersion(QStringLiteral(ZIMBREL_VERSION));
    app.setQuitOnLastWindowClosed(false);

    zimbrel::MainForm form;
    form.usePrepared(password, &handOff);
    // The form holds the only reference now, and wipes it when the program ends.
    password = QString();
    QObject::connect(&form, &zimbrel::MainForm::ended, &app, [] { QCoreApplication::exit(0); });
    form.Form_Load();
    return app.exec();
}
