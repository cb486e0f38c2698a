// The hotkey's keys in each desktop's notation, and which desktop the session's variables name.

#include "settings/shortcut.h"

#include <QTest>

using namespace zimbrel::shortcut;

class TestShortcutKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notations_data();
    void notations();
    void badKeys_data();
    void badKeys();
    void desktops_data();
    void desktops();
};

void TestShortcutKeys::notations_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("gtk"); // GNOME, Cinnamon, Xfce
    QTest::addColumn<QString>("mate");
    QTest::addColumn<QString>("sway"); // and i3
    QTest::addColumn<int>(
        "qt"); // KDE's kglobalaccel: Meta 0x10000000, Ctrl 0x04000000, Alt 0x08000000, Shift 0x02000000
    QTest::newRow("Super+Shift+P") << "Super+Shift+P"
                                   << "Super+Shift+P"
                                   << "<Super><Shift>p"
                                   << "<Mod4><Shift>p"
                                   << "Mod4+Shift+p" << (0x10000000 | 0x02000000 | 'P');
    QTest::newRow("lower case, Meta, Control") << "meta+control+g"
                                               << "Super+Ctrl+G"
                                               << "<Super><Primary>g"
                                               << "<Mod4><Control>g"
                                               << "Mod4+Control+g" << (0x10000000 | 0x04000000 | 'G');
    QTest::newRow("Ctrl+Alt and a digit") << "Ctrl+Alt+7"
                                          << "Ctrl+Alt+7"
                                          << "<Primary><Alt>7"
                                          << "<Control><Alt>7"
                                          << "Control+Mod1+7" << (0x04000000 | 0x08000000 | '7');
    QTest::newRow("a function key alone") << "F9"
                                          << "F9"
                                          << "F9"
                                          << "F9"
                                          << "F9" << (0x01000030 + 8);
    QTest::newRow("a named key") << "Super+Page_Up"
                                 << "Super+Page_Up"
                                 << "<Super>Page_Up"
                                 << "<Mod4>Page_Up"
                                 << "Mod4+Page_Up" << (0x10000000 | 0x01000016);
    QTest::newRow("Print alone") << "print"
                                 << "Print"
                                 << "Print"
                                 << "Print"
                                 << "Print" << 0x01000009;
    QTest::newRow("Space") << "Alt+space"
                           << "Alt+Space"
                           << "<Alt>space"
                           << "<Alt>space"
                           << "Mod1+space" << (0x08000000 | 0x20);
}

void TestShortcutKeys::notations()
{
    QFETCH(QString, written);
    QFETCH(QString, user);
    QFETCH(QString, gtk);
    QFETCH(QString, mate);
    QFETCH(QString, sway);
    QFETCH(int, qt);
    const std::optional<Keys> keys = parseKeys(written.toStdString());
    QVERIFY(keys);
    QCOMPARE(QString::fromStdString(userNotation(*keys)), user);
    QCOMPARE(QString::fromStdString(gtkNotation(*keys)), gtk);
    QCOMPARE(QString::fromStdString(gtkNotation(*keys, true)), mate);
    QCOMPARE(QString::fromStdString(swayNotation(*keys)), sway);
    QCOMPARE(qtKeyCode(*keys), qt);
    // What the desktops store reads back as the same keys.
    QCOMPARE(fromGtkNotation(gtk.toStdString()), keys);
    QCOMPARE(fromGtkNotation(mate.toStdString()), keys);
    QCOMPARE(parseKeys(sway.toStdString()), keys);
    QCOMPARE(fromQtKeyCode(qt), keys);
}

void TestShortcutKeys::badKeys_data()
{
    QTest::addColumn<QString>("written");
    QTest::newRow("no key") << "Super+";
    QTest::newRow("no modifier this knows") << "Foo+P";
    QTest::newRow("a letter alone would take it from typing") << "P";
    QTest::newRow("Shift alone is no guard") << "Shift+P";
    QTest::newRow("no key this knows") << "Super+Banana";
    QTest::newRow("nothing") << "";
    QTest::newRow("F36") << "Super+F36";
}

void TestShortcutKeys::badKeys()
{
    QFETCH(QString, written);
    std::string why;
    QVERIFY(!parseKeys(written.toStdString(), &why));
    QVERIFY(!why.empty());
}

void TestShortcutKeys::desktops_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("desktopSession");
    QTest::addColumn<int>("desktop");
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME"
                                    << ""
                                    << "" << int(Desktop::Gnome);
    QTest::newRow("Budgie") << "Budgie:GNOME"
                            << ""
                            << "" << int(Desktop::Gnome);
    QTest::newRow("KDE") << "KDE"
                         << ""
                         << "" << int(Desktop::Kde);
    QTest::newRow("sway") << "sway"
                          << ""
                          << "" << int(Desktop::Sway);
    QTest::newRow("i3") << "i3"
                        << ""
                        << "" << int(Desktop::I3);
    QTest::newRow("Xfce") << "XFCE"
                          << ""
                          << "" << int(Desktop::Xfce);
    QTest::newRow("Cinnamon") << "X-Cinnamon"
                              << ""
                              << "" << int(Desktop::Cinnamon);
    QTest::newRow("MATE") << "MATE"
                          << ""
                          << "" << int(Desktop::Mate);
    QTest::newRow("the session's name where the current one is empty") << ""
                                                                       << "plasma"
                                                                       << "" << int(Desktop::Kde);
    QTest::newRow("then DESKTOP_SESSION") << ""
                                          << ""
                                          << "xfce" << int(Desktop::Xfce);
    QTest::newRow("the current one wins") << "sway"
                                          << "gnome"
                                          << "" << int(Desktop::Sway);
    QTest::newRow("unknown") << "Enlightenment"
                             << ""
                             << "" << int(Desktop::Other);
}

void TestShortcutKeys::desktops()
{
    QFETCH(QString, current);
    QFETCH(QString, session);
    QFETCH(QString, desktopSession);
    QFETCH(int, desktop);
    QCOMPARE(int(desktopNamed(current.toStdString(), session.toStdString(), desktopSession.toStdString())), desktop);
}

QTEST_GUILESS_MAIN(TestShortcutKeys)
#include "tst_shortcutkeys.moc"
