#include "platform/cp1252.h"
#include "platform/messagebox.h"
#include "platform/userstore.h"
#include "settings/formsettings.h"
#include "settings/strength.h"
#include "settings/colorpicker/frmcolorpicker.h"
#include "shared/placement.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMap>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <tuple>

using namespace zimbrel;
using namespace zimbrel::testing;

class TestFormSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsTheFile_data();
    void showsTheFile();
    void saveWritesBothLinesAndCloses_data();
    void saveWritesBothLinesAndCloses();
    void cancelWritesNothing();
    void failedSaveIsReportedAndKeepsTheEdits();
    void layoutAndLook();
    void startsInTheLengthBoxAndTabsInOrder();
    void lengthBoxTakesThreeTypedCharacters();
    void lengthBoxRefusesWhatTheFileCannotHold_data();
    void lengthBoxRefusesWhatTheFileCannotHold();
    void setBoxLimitsAndRefusesWhatTheFileCannotHold();
    void aLongSetIsReplacedAsAWhole();
    void enterSavesAndTheSetStaysOneLine();
    void defaultRimFollowsTheFocus();
    void dragsByItsSurfaceOnly();
    void opensWhereTheGeneratorWasLeft();
    void destroyedWhileShownWithAFocusedButton();
    void savesWhereItReadOrInTheUsersFolder_data();
    void savesWhereItReadOrInTheUsersFolder();
    void strength_data();
    void strength();
    void strengthFollowsEveryKeystroke();
    void pickColorAsTheEditorUsesIt_data();
    void pickColorAsTheEditorUsesIt();

private:
    void writeFile(const QByteArray &bytes);
    QByteArray fileBytes() const;
    std::unique_ptr<FormSettings> openForm();

    std::unique_ptr<TemporaryConfig> m_dir;
    QString m_previousDir;
    std::unique_ptr<MessageCapture> m_capture;
};

void TestFormSettings::init()
{
    m_dir = std::make_unique<TemporaryConfig>();
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_capture = std::make_unique<MessageCapture>();
}

void TestFormSettings::cleanup()
{
    m_capture.reset();
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/zimbrel.ini"));
    QDir::setCurrent(m_previousDir);
}

void TestFormSettings::writeFile(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray TestFormSettings::fileBytes() const
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

std::unique_ptr<FormSettings> TestFormSettings::openForm()
{
    auto form = std::make_unique<FormSettings>();
    form->Form_Load();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        return nullptr;
    return form;
}

namespace {

// The entropy of one character of `set` as the generator draws it, worked out here on its own:
// each distinct character equally likely, then q, i, l, I counted as e, s, t, J.
double entropyOf(const QString &set)
{
    QMap<QChar, int> yields;
    QSet<QChar> distinct(set.begin(), set.end());
    const QString from = QStringLiteral("qilI");
    const QString to = QStringLiteral("estJ");
    for (QChar c : distinct)
        ++yields[from.contains(c) ? to.at(from.indexOf(c)) : c];
    double h = 0;
    for (int n : yields)
        h -= double(n) / distinct.size() * std::log2(double(n) / distinct.size());
    return h;
}

QString wordFor(double bits)
{
    return bits < 40 ? QStringLiteral("poor")
        : bits < 65  ? QStringLiteral("weak")
        : bits < 100 ? QStringLiteral("good")
                     : QStringLiteral("excellent");
}

// Every character from code 32 up, as many as asked for.
const QString kLettersAndDigits = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");

QString codesFrom32(int count)
{
    QString set;
    for (int code = 32; set.size() < count; ++code)
        set += ansiToChar(static_cast<unsigned char>(code));
    return set;
}

} // namespace

void TestFormSettings::strength_data()
{
    // What the read-out says for the set and the length as typed, worked out from the generator's
    // rules: a whole length gives that many characters; a fraction or a negative number keeps the
    // candidates of one round of 255 that are in the set (k of 256 codes); 0 ends at once when
    // the first is not in the set. Bits: -1 for none.
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("length");
    QTest::addColumn<double>("bits");
    QTest::addColumn<QString>("said");
    QTest::addColumn<bool>("warning");
    const auto whole = [](const QString &set, int length) {
        const double bits = length * entropyOf(set);
        return std::make_tuple(bits, QStringLiteral("Strength: %1 bits, %2").arg(qRound(bits)).arg(wordFor(bits)),
                               bits < 65);
    };
    const auto oneRound = [](const QString &set) {
        const double characters = 255.0 * QSet<QChar>(set.begin(), set.end()).size() / 256;
        const double bits = characters * entropyOf(set);
        return std::make_tuple(bits,
                               QStringLiteral("About %1 characters, %2 bits, %3")
                                   .arg(qRound(characters))
                                   .arg(qRound(bits))
                                   .arg(wordFor(bits)),
                               bits < 65);
    };
    const auto row = [](const char *name, const QString &set, const QString &length,
                        const std::tuple<double, QString, bool> &expected) {
        QTest::newRow(name) << set << length << std::get<0>(expected) << std::get<1>(expected) << std::get<2>(expected);
    };
    const QString printable = codesFrom32(95).mid(1); // "!" to "~"
    row("four letters", QStringLiteral("abcd"), QStringLiteral("10"), whole(QStringLiteral("abcd"), 10));
    row("a letter twice counts once", QStringLiteral("aab"), QStringLiteral("64"), whole(QStringLiteral("ab"), 64));
    // q becomes e: with both in the set, e comes twice as often as a.
    row("q and e merge", QStringLiteral("qea"), QStringLiteral("3"), whole(QStringLiteral("qea"), 3));
    row("nothing left to choose", QStringLiteral("qe"), QStringLiteral("99"), whole(QStringLiteral("qe"), 99));
    row("printable ASCII", printable, QStringLiteral("20"), whole(printable, 20));
    row("a blank before the length", QStringLiteral("ab"), QStringLiteral(" 70"), whole(QStringLiteral("ab"), 70));
    row("good", printable, QStringLiteral("12"), whole(printable, 12));
    // Above the longest the generator makes the longest.
    auto longest = whole(QStringLiteral("ab"), 32767);
    std::get<1>(longest) += QStringLiteral(" (the longest, 32767)");
    row("above the longest", QStringLiteral("ab"), QStringLiteral("40000"), longest);
    row("a fraction", kLettersAndDigits, QStringLiteral("1.5"), oneRound(kLettersAndDigits));
    row("a negative number", QStringLiteral("abc"), QStringLiteral("-3"), oneRound(QStringLiteral("abc")));
    // 0: none in (256 - k) / 256 of the runs; otherwise the first and the other 254's members.
    row("zero, most runs none", QStringLiteral("abc"), QStringLiteral("0"),
        {-1.0, QStringLiteral("No password in most runs (99%), else about 4 characters"), true});
    const QString big = codesFrom32(200);
    const double bigBits = (1 + 254 * 200 / 256.0) * entropyOf(big);
    row("zero, a big set", big, QStringLiteral("0"),
        {bigBits,
         QStringLiteral("About 199 characters, %1 bits, %2; none in 22%").arg(qRound(bigBits)).arg(wordFor(bigBits)),
         true});
    // No password: the generator's own words.
    row("no length", QStringLiteral("ab"), QString(),
        {-1.0, QStringLiteral("No password: settings.ini has no length"), true});
    row("a typo", QStringLiteral("ab"), QStringLiteral("1O"),
        {-1.0, QStringLiteral("No password: the length in settings.ini is not a number"), true});
    row("an empty set", QString(), QStringLiteral("12"), {-1.0, QStringLiteral("No password: the set is empty"), true});
}

void TestFormSettings::strength()
{
    QFETCH(QString, set);
    QFETCH(QString, length);
    QFETCH(double, bits);
    QFETCH(QString, said);
    QFETCH(bool, warning);
    const Strength strength = passwordStrength(set, length);
    QCOMPARE(strength.text, said);
    QCOMPARE(strength.bits.has_value(), bits >= 0);
    if (strength.bits)
        QVERIFY2(std::abs(*strength.bits - bits) < 0.001, qPrintable(QString::number(*strength.bits)));
    QCOMPARE(strength.warning, warning);
}

void TestFormSettings::strengthFollowsEveryKeystroke()
{
    writeFile("abcd\r\n20\r\n");
    auto form = openForm();
    QVERIFY(form);
    QLabel *label = form->strengthLabel();
    QCOMPARE(label->geometry(), QRect(272, 118, 105, 60));
    QCOMPARE(label->text(), QStringLiteral("Strength: 40 bits, weak"));
    // Screen readers find it by name and hear its words as its description.
    QCOMPARE(label->accessibleName(), QStringLiteral("Password strength"));
    QCOMPARE(label->accessibleDescription(), label->text());
    const QColor warning = label->palette().color(QPalette::WindowText);
    QTest::keyClick(form->Param1(), Qt::Key_End);
    QTest::keyClick(form->Param1(), Qt::Key_0);
    QCOMPARE(label->text(), QStringLiteral("Strength: 400 bits, excellent"));
    QVERIFY(label->palette().color(QPalette::WindowText) != warning);
    QTest::keyClick(form->Param1(), Qt::Key_Backspace);
    QTest::keyClick(form->Param1(), Qt::Key_Backspace);
    QTest::keyClick(form->Param1(), Qt::Key_A);
    QCOMPARE(label->text(), QStringLiteral("No password: the length in settings.ini is not a number"));
    QCOMPARE(label->accessibleDescription(), label->text());
    QCOMPARE(label->palette().color(QPalette::WindowText), warning);
    QTest::keyClicks(form->Param2(), QStringLiteral("q"));
    QCOMPARE(label->text(), QStringLiteral("No password: the length in settings.ini is not a number"));
    QCOMPARE(label->accessibleDescription(), label->text());
    // Only information: Save writes the boxes as typed.
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(fileBytes(), QByteArray("qabcd\r\n2a\r\n"));
}

void TestFormSettings::showsTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("set");
    QTest::newRow("as written") << QByteArray("abc\r\n8\r\n") << QStringLiteral("8") << QStringLiteral("abc");
    QTest::newRow("empty file") << QByteArray() << QString() << QString();
    QTest::newRow("no file") << QByteArray("<none>") << QString() << QString();
    QTest::newRow("one line") << QByteArray("xyz") << QString() << QStringLiteral("xyz");
    QTest::newRow("Windows-1252") << QByteArray("\xE9\xE8\x80\r\n12\r\n") << QStringLiteral("12")
                                  << QStringLiteral("\u00E9\u00E8\u20AC");
    QTest::newRow("longer than the boxes take")
        << QByteArray("ab\r\n12345\r\n") << QStringLiteral("12345") << QStringLiteral("ab");
    QTest::newRow("written on Linux") << QByteArray("xyz\n14\n") << QStringLiteral("14") << QStringLiteral("xyz");
}

void TestFormSettings::showsTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, length);
    QFETCH(QString, set);
    if (content != "<none>")
        writeFile(content);
    auto form = openForm();
    QVERIFY(form);
    QCOMPARE(form->Param1()->text(), length);
    QCOMPARE(form->Param2()->rawText(), set);
    QVERIFY(form->SettingsLines().size() >= 2);
}

void TestFormSettings::saveWritesBothLinesAndCloses_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("unchanged") << QByteArray("abc\r\n8\r\n") << QByteArray("abc\r\n8\r\n");
    QTest::newRow("nothing") << QByteArray() << QByteArray("\r\n\r\n");
    QTest::newRow("later lines are dropped") << QByteArray("abc\r\n8\r\nmore\r\n") << QByteArray("abc\r\n8\r\n");
    // Lone CR, lone LF and the no-break space come back byte for byte.
    QTest::newRow("raw bytes") << QByteArray("a\rb\nc\xA0"
                                             "d\x81\r\n9\r\n")
                               << QByteArray("a\rb\nc\xA0"
                                             "d\x81\r\n9\r\n");
    QTest::newRow("no validation") << QByteArray("\r\nzz\r\n") << QByteArray("\r\nzz\r\n");
    // Far too long to lay out as one wrapped paragraph in reasonable time: shown in part, kept whole.
    const QByteArray longSet = QByteArray("0123456789abcdef\r").repeated(512 * 1024);
    QTest::newRow("an 8.5 MiB set") << longSet + "\r\n12\r\n" << longSet + "\r\n12\r\n";
    QTest::newRow("a set just too long to edit") << QByteArray(CharacterSetEdit::kShownLimit + 1, 'x') + "\r\n7\r\n"
                                                 << QByteArray(CharacterSetEdit::kShownLimit + 1, 'x') + "\r\n7\r\n";
}

void TestFormSettings::saveWritesBothLinesAndCloses()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, saved);
    writeFile(content);
    auto form = openForm();
    QVERIFY(form);
    QSignalSpy unloaded(form.get(), &FormSettings::unloaded);
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!form->isVisible());
    QCOMPARE(fileBytes(), saved);
    QVERIFY(m_capture->texts().isEmpty());
}

void TestFormSettings::cancelWritesNothing()
{
    writeFile("abc\r\n8\r\n");
    auto form = openForm();
    QVERIFY(form);
    QSignalSpy unloaded(form.get(), &FormSettings::unloaded);
    QTest::keyClicks(form->Param1(), QStringLiteral("9"));
    QTest::mouseClick(form->CmdCancel(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(fileBytes(), QByteArray("abc\r\n8\r\n"));
    // Escape and closing the window are Cancel too.
    auto again = openForm();
    QVERIFY(again);
    QSignalSpy closed(again.get(), &FormSettings::unloaded);
    QTest::keyClick(again->Param1(), Qt::Key_Escape);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(fileBytes(), QByteArray("abc\r\n8\r\n"));
}

void TestFormSettings::failedSaveIsReportedAndKeepsTheEdits()
{
    // The user's settings folder is a file, so nothing can be saved in it.
    QDir(m_dir->path()).mkpath(QStringLiteral("config"));
    QFile blocker(m_dir->filePath(QStringLiteral("config/zimbrel")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto form = openForm();
    QVERIFY(form);
    QSignalSpy unloaded(form.get(), &FormSettings::unloaded);
    QTest::keyClicks(form->Param1(), QStringLiteral("12"));
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(m_capture->texts().size(), 1);
    QVERIFY(m_capture->texts()[0].contains(m_dir->filePath(QStringLiteral("config/zimbrel/settings.ini"))));
    QVERIFY(m_capture->texts()[0].contains(QString::fromLocal8Bit(strerror(ENOTDIR))));
    QCOMPARE(unloaded.count(), 0);
    QVERIFY(form->isVisible());
    QCOMPARE(form->Param1()->text(), QStringLiteral("12"));
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestFormSettings::layoutAndLook()
{
    auto form = openForm();
    QVERIFY(form);
    QCOMPARE(form->size(), QSize(386, 181));
    QCOMPARE(form->windowTitle(), QStringLiteral("Kavrin Password Settings"));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->Param1()->geometry(), QRect(136, 40, 33, 25));
    QCOMPARE(form->Param2()->geometry(), QRect(8, 96, 249, 73));
    QCOMPARE(form->CmdOK()->geometry(), QRect(272, 40, 105, 33));
    QCOMPARE(form->CmdCancel()->geometry(), QRect(272, 78, 105, 33));
    QCOMPARE(form->CmdOK()->Caption(), QStringLiteral("Save"));
    QCOMPARE(form->CmdCancel()->Caption(), QStringLiteral("Cancel"));
    QCOMPARE(form->CmdOK()->SpecialEffect(), 3);

    const QImage shot = form->grab().toImage();
    const QList<std::pair<int, QRgb>> rows{{0, 0xE9E8E8},  {2, 0xDADCDF},  {6, 0xBAC1CA},
                                           {16, 0xD3D7DC}, {27, 0xACAFB7}, {28, 0xD0D4DD}};
    for (const auto &[row, color] : rows) {
        for (int x : {0, 200, 385})
            QCOMPARE(shot.pixel(x, row) & 0xFFFFFF, color);
    }
    QCOMPARE(shot.pixel(300, 150) & 0xFFFFFF, QRgb(0xD7D9DD));
    QCOMPARE(FormSettings::titleBand().size(), QSize(2560, 29));
}

void TestFormSettings::startsInTheLengthBoxAndTabsInOrder()
{
    auto form = openForm();
    QVERIFY(form);
    QTRY_VERIFY(form->Param1()->hasFocus());
    const QList<QWidget *> order{form->Param2(), form->CmdOK(), form->CmdCancel(), form->Param1()};
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
}

void TestFormSettings::lengthBoxTakesThreeTypedCharacters()
{
    writeFile("abc\r\n12345\r\n");
    auto form = openForm();
    QVERIFY(form);
    LimitedLineEdit *box = form->Param1();
    // Longer text from the file stays whole and can be shortened, but not lengthened.
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, QStringLiteral("6"));
    QCOMPARE(box->text(), QStringLiteral("12345"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("1234"));
    box->clear();
    QTest::keyClicks(box, QStringLiteral("4567"));
    QCOMPARE(box->text(), QStringLiteral("456"));
    // A paste is cut to what fits.
    box->clear();
    QApplication::clipboard()->setText(QStringLiteral("98765"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("987"));
}

void TestFormSettings::lengthBoxRefusesWhatTheFileCannotHold_data()
{
    // How the text comes in: typed, pasted with the keys, or by any other way (a drop, the
    // context menu), which reaches the box as an edit of its whole text.
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::newRow("typed") << QStringLiteral("type") << QStringLiteral("1\u01052") << QStringLiteral("12");
    QTest::newRow("pasted") << QStringLiteral("paste") << QStringLiteral("\u0105") << QString();
    QTest::newRow("pasted among digits") << QStringLiteral("paste") << QStringLiteral("4\u01055")
                                         << QStringLiteral("45");
    QTest::newRow("the euro sign is stored")
        << QStringLiteral("paste") << QStringLiteral("\u20AC1") << QStringLiteral("\u20AC1");
    QTest::newRow("dropped or pasted by menu")
        << QStringLiteral("insert") << QStringLiteral("7\u0416") << QStringLiteral("7");
}

void TestFormSettings::lengthBoxRefusesWhatTheFileCannotHold()
{
    QFETCH(QString, way);
    QFETCH(QString, text);
    QFETCH(QString, kept);
    writeFile("abc\r\n\r\n");
    auto form = openForm();
    QVERIFY(form);
    LimitedLineEdit *box = form->Param1();
    box->setFocus();
    if (way == QStringLiteral("type")) {
        // Key events that carry the characters, as a keyboard layout with them sends.
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
    } else if (way == QStringLiteral("paste")) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    } else {
        // A drop, the context menu's paste and a middle click all insert the text as the user's
        // edit, as insert() does.
        box->insert(text);
    }
    QCOMPARE(box->text(), kept);
    // And so Save writes it.
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QVERIFY2(m_capture->texts().isEmpty(), qPrintable(m_capture->texts().join(u'\n')));
}

void TestFormSettings::aLongSetIsReplacedAsAWhole()
{
    writeFile(QByteArray(100000, 'x') + "\r\n7\r\n");
    auto form = openForm();
    QVERIFY(form);
    CharacterSetEdit *box = form->Param2();
    QVERIFY(box->holdsLongText());
    box->setFocus();
    // Typing into part of it changes nothing; with everything selected it starts afresh.
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("ab"));
    QCOMPARE(box->rawText().size(), 100000);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("ab"));
    QVERIFY(!box->holdsLongText());
    QCOMPARE(box->rawText(), QStringLiteral("ab"));
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(fileBytes(), QByteArray("ab\r\n7\r\n"));
}

void TestFormSettings::setBoxLimitsAndRefusesWhatTheFileCannotHold()
{
    auto form = openForm();
    QVERIFY(form);
    CharacterSetEdit *box = form->Param2();
    box->setFocus();
    // Typed one by one, as a keyboard layout would produce them.
    for (QChar c : QStringLiteral("a\u0416b\u20ACc")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
    QCOMPARE(box->rawText(), QStringLiteral("ab\u20ACc"));
    // A character outside the basic plane, typed (an emoji from an input method) as pasted.
    QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\U0001F600"));
    QApplication::sendEvent(box, &emoji);
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("\U0001F511"));
    QApplication::sendEvent(box, &committed);
    QCOMPARE(box->rawText(), QStringLiteral("ab\u20ACc"));
    // Pasted text keeps what the file can hold.
    box->clear();
    QApplication::clipboard()->setText(QStringLiteral("\u0416x\u00E9"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->rawText(), QStringLiteral("x\u00E9"));
    box->clear();
    QApplication::clipboard()->setText(QStringLiteral("x").repeated(300));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->rawText().size(), 255);
    QTest::keyClicks(box, QStringLiteral("y"));
    QCOMPARE(box->rawText().size(), 255);
}

void TestFormSettings::enterSavesAndTheSetStaysOneLine()
{
    // The set is line 1 of the file: no key and no paste puts a line break into it (which would
    // make the rest of it the length), while a lone CR or LF read from the file is kept.
    writeFile("a\rb\nc\r\n16\r\n");
    auto form = openForm();
    QVERIFY(form);
    QSignalSpy unloaded(form.get(), &FormSettings::unloaded);
    CharacterSetEdit *box = form->Param2();
    box->setFocus();
    QCOMPARE(box->toPlainText(), QStringLiteral("a\u240Db\u240Ac"));
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Enter, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("d"));
    QApplication::clipboard()->setText(QStringLiteral("e\r\nf\ng\rh"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    auto *dropped = new QMimeData;
    dropped->setText(QStringLiteral("i\nj"));
    QApplication::clipboard()->setMimeData(dropped);
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(unloaded.count(), 0);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(fileBytes(),
             QByteArray("a\rb\nc"
                        "defghij\r\n16\r\n"));
}

void TestFormSettings::defaultRimFollowsTheFocus()
{
    auto form = openForm();
    QVERIFY(form);
    auto rim = [](const WinXPButton *b) { return b->surface().pixel(b->width() - 2, 16) & 0xFFFFFF; };
    constexpr QRgb kBlue = 0x8CAEE7; // RGB(140, 174, 231)
    QTRY_COMPARE(rim(form->CmdOK()), kBlue);
    QVERIFY(rim(form->CmdCancel()) != kBlue);
    form->CmdCancel()->setFocus();
    QTRY_COMPARE(rim(form->CmdCancel()), kBlue);
    QCOMPARE(rim(form->CmdOK()) == kBlue, false);
    form->Param2()->setFocus();
    QTRY_COMPARE(rim(form->CmdOK()), kBlue);
}

void TestFormSettings::dragsByItsSurfaceOnly()
{
    auto form = openForm();
    QVERIFY(form);
    QWindow *window = form->windowHandle();
    const QPoint start = form->pos();
    auto local = [&](QPoint global) { return global - form->pos(); };
    // From a label: nothing moves.
    const QPoint onLabel = start + QPoint(20, 50);
    QTest::mousePress(window, Qt::LeftButton, {}, local(onLabel));
    QTest::mouseMove(window, local(onLabel + QPoint(30, 30)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, local(onLabel + QPoint(30, 30)));
    QCOMPARE(form->pos(), start);
    // From the surface: the window follows.
    const QPoint onSurface = start + QPoint(300, 150);
    QTest::mousePress(window, Qt::LeftButton, {}, local(onSurface));
    QTest::mouseMove(window, local(onSurface + QPoint(-40, -25)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, local(onSurface + QPoint(-40, -25)));
    QTRY_COMPARE(form->pos(), start + QPoint(-40, -25));
    // The editor does not remember it.
    QCOMPARE(GetSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection),
                        QStringLiteral("x")),
             QString());
}

void TestFormSettings::opensWhereTheGeneratorWasLeft()
{
    SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection), QStringLiteral("x"),
                QStringLiteral("1500"));
    SaveSetting(QString::fromLatin1(kPositionApplication), QString::fromLatin1(kPositionSection), QStringLiteral("y"),
                QStringLiteral("750"));
    auto form = openForm();
    QVERIFY(form);
    QCOMPARE(form->pos(), QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(100, 50));
}

void TestFormSettings::destroyedWhileShownWithAFocusedButton()
{
    // Destroying hides the form, which takes the focus from the button; the button must not ask
    // the half-destroyed form how to draw itself (a sanitizer build aborts if it does).
    auto form = openForm();
    QVERIFY(form);
    form->CmdCancel()->setFocus();
    QTRY_VERIFY(form->CmdCancel()->hasFocus());
    form.reset();
}

void TestFormSettings::savesWhereItReadOrInTheUsersFolder_data()
{
    QTest::addColumn<QString>("readFrom"); // where a file is before the editor opens; empty: nowhere
    QTest::addColumn<QString>("savedTo");
    const QString user = QStringLiteral("config/zimbrel/settings.ini");
    QTest::newRow("the current folder's") << QStringLiteral("settings.ini") << QStringLiteral("settings.ini");
    QTest::newRow("the user's") << user << user;
    QTest::newRow("installed defaults: to the user's") << QStringLiteral("xdg/zimbrel/settings.ini") << user;
    QTest::newRow("none: to the user's") << QString() << user;
}

void TestFormSettings::savesWhereItReadOrInTheUsersFolder()
{
    QFETCH(QString, readFrom);
    QFETCH(QString, savedTo);
    const QByteArray original("abc\r\n7\r\n");
    if (!readFrom.isEmpty()) {
        QDir(m_dir->path()).mkpath(QFileInfo(readFrom).path());
        QFile file(m_dir->filePath(readFrom));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    auto form = openForm();
    QVERIFY(form);
    if (!readFrom.isEmpty())
        QCOMPARE(form->Param1()->text(), QStringLiteral("7"));
    const QString target = m_dir->filePath(savedTo);
    QCOMPARE(form->CmdOK()->toolTip(), QStringLiteral(" Save to %1 ").arg(target));
    form->Param1()->selectAll();
    QTest::keyClicks(form->Param1(), QStringLiteral("16"));
    QTest::mouseClick(form->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
    QCOMPARE(m_capture->texts(), QStringList());
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY2(saved.readAll().endsWith("\r\n16\r\n"), qPrintable(target));
    // The file read elsewhere is left as it was; a folder made for the user's file is private.
    if (!readFrom.isEmpty() && readFrom != savedTo) {
        QFile read(m_dir->filePath(readFrom));
        QVERIFY(read.open(QIODevice::ReadOnly));
        QCOMPARE(read.readAll(), original);
    }
    if (readFrom.isEmpty())
        QCOMPARE(QFileInfo(QFileInfo(target).path()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
}

void TestFormSettings::pickColorAsTheEditorUsesIt_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("greenTyped");
    QTest::addColumn<quint32>("result");
    QTest::addColumn<QString>("seeded");
    QTest::newRow("cancel keeps it") << quint32(0x030201) << false << QString() << quint32(0x030201)
                                     << QStringLiteral("010203");
    QTest::newRow("ok unchanged") << quint32(0) << true << QString() << quint32(0) << QStringLiteral("000000");
    QTest::newRow("ok 255, 128, 0") << quint32(0x0000FF) << true << QStringLiteral("128") << quint32(0x0080FF)
                                    << QStringLiteral("FF0000");
    QTest::newRow("top byte ignored") << quint32(0xFF030201) << false << QString() << quint32(0xFF030201)
                                      << QStringLiteral("010203");
}

void TestFormSettings::pickColorAsTheEditorUsesIt()
{
    QFETCH(quint32, start);
    QFETCH(bool, ok);
    QFETCH(QString, greenTyped);
    QFETCH(quint32, result);
    QFETCH(QString, seeded);
    FormSettings form;
    form.show();
    QString seenHex;
    QTimer::singleShot(50, this, [&] {
        auto *d = qobject_cast<picker::frmColorPicker *>(QApplication::activeModalWidget());
        if (!d)
            return;
        seenHex = d->txtHexColor()->text();
        if (!greenTyped.isEmpty()) {
            d->txtNumValue(4)->setFocus();
            d->txtNumValue(4)->selectAll();
            QTest::keyClick(d->txtNumValue(4), Qt::Key_Delete);
            QTest::keyClicks(d->txtNumValue(4), greenTyped);
        }
        (ok ? d->CmdOK() : d->CmdCancel())->AccessKeyPress(13);
    });
    quint32 color = start;
    form.PickColor(color);
    QCOMPARE(seenHex, seeded);
    QCOMPARE(color, result);
    // The dialog wrote its state file beside the program.
    QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/zimbrel.ini")));
}

QTEST_MAIN(TestFormSettings)
#include "tst_formsettings.moc"
