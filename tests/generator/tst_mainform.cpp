#include "generator/mainform.h"
#include "clipboard/clipboardhandoff.h"
#include "platform/userstore.h"
#include "shared/placement.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <unistd.h>

using namespace zimbrel;
using namespace zimbrel::testing;

namespace {

// The window's whole text: its label's, or, where that is cut short, the tool tip's.
QString wholeText(const MainForm &form)
{
    const QString tip = form.Display()->toolTip();
    return tip == QStringLiteral(" Get this password from clipboard. ") ? form.Display()->text() : tip;
}

QString stored(const char *key)
{
    return GetSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection),
                      QString::fromLatin1(key));
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsAndCopiesThePassword_data();
    void showsAndCopiesThePassword();
    void saysWhenThePasswordIsNotOrNoLongerOnTheClipboard_data();
    void saysWhenThePasswordIsNotOrNoLongerOnTheClipboard();
    void layout();
    void theWholePasswordShows_data();
    void theWholePasswordShows();
    void opensCentredThenWhereItWasLeft();
    void endsWhenTheTimerRunsOutOrOnClose();
    void dragWithLeftButtonMovesAndStores();
    void otherButtonsDoNotDrag_data();
    void otherButtonsDoNotDrag();
    void dragCannotStartOutsideTheLabel();

private:
    void writeSettings(const QByteArray &bytes);
    std::unique_ptr<MainForm> loadedForm();

    std::unique_ptr<TemporaryConfig> m_dir;
    QString m_previousDir;
};

void TestMainForm::init()
{
    m_dir = std::make_unique<TemporaryConfig>();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("config")));
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
}

void TestMainForm::cleanup()
{
    QDir::setCurrent(m_previousDir);
}

void TestMainForm::writeSettings(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::unique_ptr<MainForm> TestMainForm::loadedForm()
{
    auto form = std::make_unique<MainForm>();
    form->Form_Load();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}

void TestMainForm::showsAndCopiesThePassword_data()
{
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("allowed");
    // A whole length with a set that is not empty is always reached.
    QTest::addColumn<int>("minLength");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("as the editor writes") << true << QByteArray("abc\r\n8\r\n") << QStringLiteral("abc") << 8 << 8;
    QTest::newRow("written on Windows") << true << QByteArray("\xE9\xE8\r\n3\r\n") << QStringLiteral("\u00E9\u00E8")
                                        << 3 << 3;
    QTest::newRow("replaced letters") << true << QByteArray("qilI\r\n300\r\n") << QStringLiteral("estJ") << 300 << 300;
    QTest::newRow("a fraction keeps every qualifying candidate of one round")
        << true << QByteArray("abc\r\n2.5\r\n") << QStringLiteral("abc") << 0 << 255;
    QTest::newRow("written on Linux") << true << QByteArray("abc\n8\n") << QStringLiteral("abc") << 8 << 8;
    // No password: the clipboard keeps what it had, and the window says why.
    QTest::newRow("empty set: none") << true << QByteArray("\r\n5\r\n") << QStringLiteral(" (none: the set is empty)")
                                     << 0 << 0;
    QTest::newRow("a length that is no number: none")
        << true << QByteArray("abc\r\n1O\r\n") << QStringLiteral(" (none: the length in settings.ini is not a number)")
        << 0 << 0;
    QTest::newRow("no length: none") << true << QByteArray("abc\r\n")
                                     << QStringLiteral(" (none: settings.ini has no length)") << 0 << 0;
    // Where the programs looked, and what makes a file.
    const QString nowhere =
        QStringLiteral(" (none: no settings.ini in ./settings.ini, %1/settings.ini, %2/settings.ini; "
                       "zimbrel-settings makes one)");
    QTest::newRow("no file: none") << false << QByteArray() << nowhere << 0 << 0;
    QTest::newRow("a folder named settings.ini: none") << false << QByteArray("dir") << nowhere << 0 << 0;
}

void TestMainForm::showsAndCopiesThePassword()
{
    QFETCH(bool, hasFile);
    QFETCH(QByteArray, content);
    QFETCH(QString, allowed);
    QFETCH(int, minLength);
    QFETCH(int, maxLength);
    if (hasFile)
        writeSettings(content);
    else if (content == "dir")
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("settings.ini")));

    QGuiApplication::clipboard()->setText(QStringLiteral("copied before"));
    auto form = loadedForm();
    QVERIFY(form);
    const QString password = form->Password();
    QVERIFY2(password.size() >= minLength && password.size() <= maxLength, qPrintable(password));
    // No password (always in the last rows; now and then for a fraction, when no candidate of
    // the round is in the set): the clipboard keeps what it had, and the window says why.
    if (password.isEmpty()) {
        const QString said = wholeText(*form);
        const QString why = allowed.arg(m_dir->configHome() + QStringLiteral("/zimbrel"),
                                        m_dir->filePath(QStringLiteral("xdg/zimbrel")));
        QVERIFY2(maxLength == 0 ? said == QStringLiteral("Your password: ") + why
                                : said.startsWith(QStringLiteral("Your password:  (none: ")),
                 qPrintable(said));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied before"));
        QCOMPARE(form->copyResult(), CopyResult::NotCopied);
        return;
    }
    if (!allowed.isEmpty()) {
        for (QChar c : password)
            QVERIFY2(allowed.contains(c), qPrintable(password));
    }
    // Qt's own clipboard (the offscreen platform) lives only as long as the program.
    QCOMPARE(wholeText(*form), QStringLiteral("Your password: ") + password + QStringLiteral(" (copied while open)"));
    QCOMPARE(form->copyResult(), CopyResult::UntilExit);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), password);
    QCOMPARE(data->data(QString::fromLatin1(kPasswordHintFormat)), QByteArray("secret"));
}

void TestMainForm::saysWhenThePasswordIsNotOrNoLongerOnTheClipboard_data()
{
    // The keeper's first answer, then what it says while the window is open (0: nothing).
    QTest::addColumn<char>("answer");
    QTest::addColumn<char>("later");
    QTest::addColumn<QString>("said");
    QTest::newRow("kept") << char(KeeperAnswer::Owned) << '\0' << QString();
    QTest::newRow("kept, given up after its time") << char(KeeperAnswer::Owned) << 'c' << QString();
    QTest::newRow("kept, then a newer password of ours")
        << char(KeeperAnswer::Owned) << 'r' << QStringLiteral(" (replaced)");
    QTest::newRow("kept, then something else took it")
        << char(KeeperAnswer::Owned) << 'x' << QStringLiteral(" (not copied)");
    QTest::newRow("a newer password of ours came first")
        << char(KeeperAnswer::Replaced) << '\0' << QStringLiteral(" (replaced)");
    QTest::newRow("the keeper could not take it")
        << char(KeeperAnswer::Failed) << '\0' << QStringLiteral(" (not copied)");
    QTest::newRow("no keeper has a way: wl-copy")
        << char(KeeperAnswer::ByWlCopy) << '\0' << QStringLiteral(" (copied by wl-copy)");
}

void TestMainForm::saysWhenThePasswordIsNotOrNoLongerOnTheClipboard()
{
    QFETCH(char, answer);
    QFETCH(char, later);
    QFETCH(QString, said);
    int status[2];
    QVERIFY(pipe(status) == 0);
    StartedHelper keeper;
    keeper.answer = KeeperAnswer(answer);
    keeper.statusFd = status[0];
    ClipboardHandOff handOff;
    handOff.adopt(keeper);
    MainForm form;
    form.usePrepared(QStringLiteral("pw"), &handOff);
    form.Form_Load();
    if (later)
        QVERIFY(write(status[1], &later, 1) == 1);
    QTRY_COMPARE(form.Display()->text(), QStringLiteral("Your password: pw") + said);
    close(status[1]);
}

void TestMainForm::layout()
{
    writeSettings("<b>x</b>\r\n3\r\n");
    auto form = loadedForm();
    QVERIFY(form);
    QCOMPARE(form->size(), QSize(403, 31));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->clientArea()->geometry(), QRect(1, 1, 401, 29));
    DisplayLabel *display = form->Display();
    QCOMPARE(display->geometry(), QRect(8, 8, 401, 29));
    QCOMPARE(display->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    QCOMPARE(display->toolTip(), QStringLiteral(" Get this password from clipboard. "));
    // Markup in a password is shown as typed.
    QCOMPARE(display->textFormat(), Qt::PlainText);
    QVERIFY(QFontInfo(display->font()).fixedPitch());
}

void TestMainForm::theWholePasswordShows_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("stored"); // a stored place: the left edge stays; else centred
    QTest::newRow("16: the usual window") << 16 << false;
    QTest::newRow("40: wider, centred") << 40 << false;
    QTest::newRow("40: wider, from the stored left edge") << 40 << true;
    QTest::newRow("200: the screen's width, cut in the middle") << 200 << false;
}

void TestMainForm::theWholePasswordShows()
{
    QFETCH(int, length);
    QFETCH(bool, stored);
    if (stored) {
        SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection),
                    QStringLiteral("x"), QStringLiteral("1500"));
        SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection),
                    QStringLiteral("y"), QStringLiteral("300"));
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ClipboardHandOff handOff;
    StartedHelper kept;
    kept.answer = KeeperAnswer::Owned;
    handOff.adopt(kept);
    MainForm form;
    const QString password = QStringLiteral("x").repeated(length);
    form.usePrepared(password, &handOff);
    form.Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString text = QStringLiteral("Your password: ") + password;
    DisplayLabel *display = form.Display();
    // Room for the text and 12 pixels either side of it, between 401 and the screen's width; a
    // wider window's label keeps 8 pixels clear at the right as at the left.
    const int needed = QFontMetrics(display->font()).horizontalAdvance(text) + 24;
    const int width = std::clamp(needed, 401, screen.width() - 2);
    QCOMPARE(form.width(), width + 2);
    QCOMPARE(form.height(), 31);
    QCOMPARE(display->width(), width == 401 ? 401 : width - 16);
    if (needed <= width) {
        QCOMPARE(display->text(), text);
        QCOMPARE(display->toolTip(), QStringLiteral(" Get this password from clipboard. "));
    } else {
        QVERIFY2(display->text().contains(QChar(0x2026)), qPrintable(display->text()));
        QVERIFY(display->text().startsWith(QStringLiteral("Your password: xx")));
        QCOMPARE(display->toolTip(), text);
    }
    QCOMPARE(form.x(),
             stored ? screen.left() + 100
                    : screen.left() + positionFromStore({}, {}, form.frameGeometry().size(), screen.size()).x());
}

void TestMainForm::opensCentredThenWhereItWasLeft()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        auto form = loadedForm();
        QVERIFY(form);
        const QPoint centre = positionFromStore(QString(), QString(), form->frameGeometry().size(), screen.size());
        QCOMPARE(form->pos(), screen.topLeft() + centre);
    }
    SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection), QStringLiteral("x"),
                QStringLiteral("-600"));
    SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection), QStringLiteral("y"),
                QStringLiteral("300"));
    auto form = loadedForm();
    QVERIFY(form);
    QCOMPARE(form->pos(), screen.topLeft() + QPoint(-40, 20));
}

void TestMainForm::endsWhenTheTimerRunsOutOrOnClose()
{
    writeSettings("abc\r\n8\r\n");
    {
        auto form = loadedForm();
        QVERIFY(form);
        QCOMPARE(form->Timer1().interval(), 5000);
        QVERIFY(form->Timer1().isActive());
        QSignalSpy ended(form.get(), &MainForm::ended);
        const QString password = form->Password();
        QVERIFY(!password.isEmpty());
        form->Timer1().setInterval(1);
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!form->isVisible());
        // The password stays on the clipboard; the window's own copies are gone.
        QCOMPARE(QGuiApplication::clipboard()->text(), password);
        QCOMPARE(form->Password(), QString());
        QCOMPARE(form->Display()->text(), QString());
    }
    auto form = loadedForm();
    QVERIFY(form);
    QSignalSpy ended(form.get(), &MainForm::ended);
    form->close();
    QCOMPARE(ended.count(), 1);
    // The timer cannot end the program a second time.
    QVERIFY(!form->Timer1().isActive());
}

void TestMainForm::dragWithLeftButtonMovesAndStores()
{
    auto form = loadedForm();
    QVERIFY(form);
    QWindow *window = form->windowHandle();
    const QPoint start = form->pos();
    // The pointer moves on the screen; events carry positions in the window as it is then.
    const QPoint grab = start + QPoint(60, 15);
    auto local = [&](QPoint global) { return global - form->pos(); };
    QTest::mousePress(window, Qt::LeftButton, {}, local(grab));
    QTest::mouseMove(window, local(grab + QPoint(5, 3)));
    QTest::mouseMove(window, local(grab + QPoint(30, 20)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, local(grab + QPoint(30, 20)));
    QTRY_COMPARE(form->pos(), start + QPoint(30, 20));
    const QPoint moved = form->pos() - QGuiApplication::primaryScreen()->geometry().topLeft();
    QCOMPARE(stored("x"), QString::number(moved.x() * 15));
    QCOMPARE(stored("y"), QString::number(moved.y() * 15));
}

void TestMainForm::otherButtonsDoNotDrag_data()
{
    QTest::addColumn<Qt::MouseButtons>("buttons");
    QTest::newRow("right") << Qt::MouseButtons(Qt::RightButton);
    QTest::newRow("middle") << Qt::MouseButtons(Qt::MiddleButton);
    QTest::newRow("left and right") << (Qt::LeftButton | Qt::RightButton);
}

void TestMainForm::otherButtonsDoNotDrag()
{
    QFETCH(Qt::MouseButtons, buttons);
    auto form = loadedForm();
    QVERIFY(form);
    QWindow *window = form->windowHandle();
    const QPoint start = form->pos();
    const QPoint onLabel(60, 15);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons & button)
            QTest::mousePress(window, button, {}, onLabel);
    }
    QTest::mouseMove(window, onLabel + QPoint(40, 10));
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        if (buttons & button)
            QTest::mouseRelease(window, button, {}, onLabel + QPoint(40, 10));
    }
    // Everything here is delivered at once; a move, had one started, would have happened by now.
    QCoreApplication::processEvents();
    QCOMPARE(form->pos(), start);
    QCOMPARE(stored("x"), QString());
}

void TestMainForm::dragCannotStartOutsideTheLabel()
{
    auto form = loadedForm();
    QVERIFY(form);
    QWindow *window = form->windowHandle();
    const QPoint start = form->pos();
    // The strips above and left of the label belong to the window, which does not drag.
    for (const QPoint at : {QPoint(100, 4), QPoint(4, 20)}) {
        QTest::mousePress(window, Qt::LeftButton, {}, at);
        QTest::mouseMove(window, at + QPoint(20, 20));
        QTest::mouseRelease(window, Qt::LeftButton, {}, at + QPoint(20, 20));
    }
    // Everything here is delivered at once; a move, had one started, would have happened by now.
    QCoreApplication::processEvents();
    QCOMPARE(form->pos(), start);
    QCOMPARE(stored("x"), QString());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
