#include "platform/messagebox.h"
#include "settings/colorpicker/frmcolorpicker.h"
#include "settings/colorpicker/pickerwidgets.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace zimbrel;
using namespace zimbrel::testing;
using namespace zimbrel::picker;

class TestColorPicker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pastedHexIsFilteredAsTyping_data();
    void pastedHexIsFilteredAsTyping();
    void theCheckedModeButtonHasTheFocusAtOpening_data();
    void theCheckedModeButtonHasTheFocusAtOpening();
    void trianglesSpanTenRows();
    void destroyedWhileShownWithAFocusedButton();
    void init();
    void cleanup();

    void firstOpeningWithoutStateFile();
    void layoutAfterLoad();
    void opensInTheSavedMode();
    void seedFillsEveryBox();
    void modesPaintAndPlaceTheRing_data();
    void modesPaintAndPlaceTheRing();
    void fieldDragBeyondTheEdges();
    void stripTopAndBottomRows();
    void stripMarginActsAsTheStrip();
    void arrowKeysNudgeTheHue();
    void otherModesOnlyTalkOnKeys();
    void boxCorrections_data();
    void boxCorrections();
    void typingTakesDigitsOnly();
    void hexTextIsReorderedAndPadded();
    void swatchClicksSwapColours();
    void fieldMouseUpBeforeReadyEndsTheDrag();
    void okKeepsTheBoxesCancelEmptiesTheHexBox();
    void enterAppliesTheFocusedBox();
    void unloadWritesTheState();

private:
    std::unique_ptr<frmColorPicker> open(const QByteArray &state = {}, const QString &seed = QString());
    QString statePath() const { return QCoreApplication::applicationDirPath() + u'/' + m_ini; }
    QByteArray stateBytes() const;

    QString m_ini;
    std::unique_ptr<MessageCapture> m_capture;
    std::unique_ptr<TemporaryConfig> m_dir;
};

void TestColorPicker::init()
{
    static int serial = 0;
    m_ini = QStringLiteral("tst-colorpicker-%1-%2.ini").arg(QCoreApplication::applicationPid()).arg(++serial);
    QFile::remove(statePath());
    m_capture = std::make_unique<MessageCapture>();
    m_dir = std::make_unique<TemporaryConfig>();
}

void TestColorPicker::cleanup()
{
    m_capture.reset();
    QFile::remove(statePath());
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/zimbrel.ini"));
}

std::unique_ptr<frmColorPicker> TestColorPicker::open(const QByteArray &state, const QString &seed)
{
    if (!state.isNull()) {
        QFile file(statePath());
        file.open(QIODevice::WriteOnly);
        file.write(state);
    }
    auto dialog = std::make_unique<frmColorPicker>();
    dialog->setINIFileName(m_ini);
    dialog->Form_Load();
    if (!seed.isNull()) {
        dialog->setHexColor(seed);
        dialog->txtHexColor_LostFocus();
    }
    dialog->show();
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        return nullptr;
    return dialog;
}

QByteArray TestColorPicker::stateBytes() const
{
    QFile file(statePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void TestColorPicker::firstOpeningWithoutStateFile()
{
    auto d = open();
    QVERIFY(d);
    QCOMPARE(m_capture->texts(), QStringList{QStringLiteral("A file is missing, please reinstall!")});
    QCOMPARE(d->checkedOption(), int(HueMode));
    QVERIFY(d->objOption(0)->isChecked());
    QCOMPARE(d->newColor(), bgr(221, 204, 153));
    QCOMPARE(d->oldColor(), bgr(221, 204, 153));
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("DDCC99"));
    QCOMPARE(d->txtNumValue(3)->text(), QStringLiteral("221"));
    QCOMPARE(d->txtNumValue(0)->text(), QStringLiteral("45"));
    d.reset();
    QCOMPARE(stateBytes(), QByteArray("10079453\r\n\"objOption0\"\r\n\"NumberOfPaths0\"\r\n"));
    // The next opening: no message, and the last new colour is the old one.
    m_capture->clear();
    auto again = open({}, QStringLiteral("102030"));
    QVERIFY(again);
    QVERIFY(m_capture->texts().isEmpty());
    QCOMPARE(again->oldColor(), bgr(221, 204, 153));
}

void TestColorPicker::layoutAfterLoad()
{
    auto d = open();
    QVERIFY(d);
    // The 511 x 309 client area inside the fixed dialog frame.
    QCOMPARE(d->clientArea()->geometry(), QRect(3, 3, 511, 309));
    QCOMPARE(d->size(), QSize(517, 315));
    QCOMPARE(d->picBigBox()->geometry(), QRect(13, 31, 260, 260));
    QCOMPARE(d->picThinBox()->geometry(), QRect(284, 31, 23, 260));
    QCOMPARE(d->lblThinContainer()->geometry(), QRect(274, 31, 43, 260));
    QCOMPARE(d->lblNewColor()->geometry(), QRect(322, 33, 58, 33));
    QCOMPARE(d->lblOldColor()->geometry(), QRect(322, 66, 58, 33));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(d->objOption(i)->geometry(), QRect(320, 111 + 25 * i, 33, 17));
        QCOMPARE(d->txtNumValue(i)->geometry(), QRect(351, 109 + 25 * i, 30, 21));
    }
    QCOMPARE(d->objOption(3)->toolTip(), QStringLiteral(" Select to adjust red "));
    QCOMPARE(d->txtNumValue(1)->toolTip(), QStringLiteral(" Numerical value for saturation "));
    QCOMPARE(d->txtHexColor()->geometry(), QRect(336, 272, 56, 19));
    QCOMPARE(d->txtHexColor()->toolTip(), QStringLiteral(" Hex (web) color value "));
    QCOMPARE(d->CmdOK()->geometry(), QRect(392, 31, 105, 33));
    QCOMPARE(d->CmdCancel()->geometry(), QRect(392, 71, 105, 33));
    QCOMPARE(d->lblSuffix(0)->text(), QStringLiteral("\u00B0"));
    QCOMPARE(d->lblSuffix(4)->text(), QStringLiteral("#"));
    const QImage shot = d->clientArea()->grab().toImage();
    QCOMPARE(shot.pixel(200, 0) & 0xFFFFFF, QRgb(0xEDEDED));
    QCOMPARE(shot.pixel(200, 27) & 0xFFFFFF, QRgb(0xACAFB7));
    QCOMPARE(shot.pixel(5, 300) & 0xFFFFFF, QRgb(0xD7D9DD));
    // The frame: a raised edge (light above and left, dark below and right), then the face colour.
    const QImage window = d->grab().toImage();
    const QPalette &colours = d->palette();
    const auto at = [&window](int x, int y) { return window.pixel(x, y) & 0xFFFFFF; };
    QCOMPARE(at(200, 0), colours.color(QPalette::Midlight).rgb() & 0xFFFFFF);
    QCOMPARE(at(0, 150), colours.color(QPalette::Midlight).rgb() & 0xFFFFFF);
    QCOMPARE(at(200, 1), colours.color(QPalette::Light).rgb() & 0xFFFFFF);
    QCOMPARE(at(200, 314), colours.color(QPalette::Shadow).rgb() & 0xFFFFFF);
    QCOMPARE(at(516, 150), colours.color(QPalette::Shadow).rgb() & 0xFFFFFF);
    QCOMPARE(at(200, 313), colours.color(QPalette::Dark).rgb() & 0xFFFFFF);
    QCOMPARE(at(515, 150), colours.color(QPalette::Dark).rgb() & 0xFFFFFF);
    QCOMPARE(at(2, 150), colours.color(QPalette::Button).rgb() & 0xFFFFFF);
    QCOMPARE(at(203, 3), QRgb(0xEDEDED));
    QCOMPARE(ringCursor().hotSpot(), QPoint(7, 7));
    // OK is the default button: its blue rim shows while the focus is elsewhere than on a button.
    auto rim = [](const WinXPButton *b) { return b->surface().pixel(b->width() - 2, 16) & 0xFFFFFF; };
    d->txtNumValue(0)->setFocus();
    QTRY_COMPARE(rim(d->CmdOK()), QRgb(0x8CAEE7));
    d->CmdCancel()->setFocus();
    QTRY_COMPARE(rim(d->CmdCancel()), QRgb(0x8CAEE7));
    QVERIFY(rim(d->CmdOK()) != QRgb(0x8CAEE7));
}

void TestColorPicker::opensInTheSavedMode()
{
    auto d = open("255\r\n\"objOption3\"\r\n\"NumberOfPaths0\"\r\n");
    QVERIFY(d);
    QVERIFY(m_capture->texts().isEmpty());
    QVERIFY(d->objOption(3)->isChecked());
    QCOMPARE(d->oldColor(), bgr(255, 0, 0));
    // Red mode at red 221: the top-left of the field is (221, 255, 0).
    QCOMPARE(d->core().picBigBox().pixel(0, 0), bgr(221, 255, 0));
    QCOMPARE(d->core().picThinBox().pixel(0, 0), bgr(255, 204, 153));
}

void TestColorPicker::seedFillsEveryBox()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    const QStringList boxes{QStringLiteral("210"), QStringLiteral("79"), QStringLiteral("34"),
                            QStringLiteral("18"),  QStringLiteral("52"), QStringLiteral("86")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d->txtNumValue(i)->text(), boxes[i]);
    QCOMPARE(d->newColor(), bgr(18, 52, 86));
    QCOMPARE(d->lblNewColor()->color(), bgr(18, 52, 86));
    // The ring sits where the colour is: saturation 202 across, 255 - 86 down.
    QCOMPARE(QPoint(d->core().mIntMarkerX(), d->core().mIntMarkerY()), QPoint(202, 169));
}

void TestColorPicker::modesPaintAndPlaceTheRing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("ring");
    QTest::addColumn<double>("row");
    // 123456: hue 892, saturation 202, luminance 86; red 18, green 52, blue 86.
    QTest::newRow("hue") << 0 << QPoint(202, 169) << 255 - 892 / 1530.0 * 255;
    QTest::newRow("saturation") << 1 << QPoint(149, 169) << 255 - 79 * 2.55;
    QTest::newRow("brightness") << 2 << QPoint(149, 53) << 255 - 34 * 2.55;
    QTest::newRow("red") << 3 << QPoint(86, 203) << 255.0 - 18;
    QTest::newRow("green") << 4 << QPoint(86, 237) << 255.0 - 52;
    QTest::newRow("blue") << 5 << QPoint(18, 203) << 255.0 - 86;
}

void TestColorPicker::modesPaintAndPlaceTheRing()
{
    QFETCH(int, mode);
    QFETCH(QPoint, ring);
    QFETCH(double, row);
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QTest::mouseClick(d->objOption(mode), Qt::LeftButton);
    QVERIFY(d->objOption(mode)->isChecked());
    QCOMPARE(d->checkedOption(), mode);
    QCOMPARE(QPoint(d->core().mIntMarkerX(), d->core().mIntMarkerY()), ring);
    QVERIFY(qAbs(d->triangleLine(0).y1() - (row + 28)) < 1e-6);
    // The swatch takes the field's colour under the ring, which is (nearly) the colour.
    const BgrColor c = d->newColor();
    QVERIFY(qAbs(redOf(c) - 18) <= 2 && qAbs(greenOf(c) - 52) <= 2 && qAbs(blueOf(c) - 86) <= 2);
}

void TestColorPicker::fieldDragBeyondTheEdges()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    PictureBox *field = d->picBigBox();
    QTest::mousePress(field, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(400, -60), field->mapToGlobal(QPointF(400, -60)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(field, &move);
    QCOMPARE(d->core().mBteSaturation(), 255);
    QCOMPARE(d->core().mBteLuminance(), 255);
    QCOMPARE(d->core().mIntSystemColorAngle(), 892);
    QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(400, -60));
    QVERIFY(!d->mBlnMouseDown());
    QCOMPARE(QPoint(d->core().mIntMarkerX(), d->core().mIntMarkerY()), QPoint(255, 0));
    QCOMPARE(d->txtNumValue(1)->text(), QStringLiteral("100"));
    QCOMPARE(d->txtNumValue(2)->text(), QStringLiteral("100"));
}

void TestColorPicker::stripTopAndBottomRows()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    PictureBox *strip = d->picThinBox();
    // Row 0 of the drawing is two pixels into the box, below its border.
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(10, 2));
    QCOMPARE(d->core().mIntSystemColorAngle(), 1530);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(10, 2 + 255));
    QCOMPARE(d->core().mIntSystemColorAngle(), 0);
    QCOMPARE(d->triangleLine(0).y1(), 255.0 + 28);
    // Beyond the bottom: still row 255.
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(10, 2 + 255));
    QCOMPARE(d->core().mIntSystemColorAngle(), 0);
}

void TestColorPicker::stripMarginActsAsTheStrip()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QTest::mouseClick(d->objOption(4), Qt::LeftButton);
    // Five pixels left of the strip, level with its row 55: green 200.
    QTest::mouseClick(d->lblThinContainer(), Qt::LeftButton, {}, QPoint(5, 55 + PictureBox::kBorder));
    QCOMPARE(d->txtNumValue(4)->text(), QStringLiteral("200"));
    QCOMPARE(d->newColor(), bgr(18, 200, 86));
}

void TestColorPicker::arrowKeysNudgeTheHue()
{
    auto d = open({}, QStringLiteral("FF0000"));
    QVERIFY(d);
    PictureBox *strip = d->picThinBox();
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Down);
    QCOMPARE(d->core().mIntSystemColorAngle(), 0);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(10, 2));
    QCOMPARE(d->core().mIntSystemColorAngle(), 1530);
    QTest::keyClick(strip, Qt::Key_Up);
    QCOMPARE(d->core().mIntSystemColorAngle(), 1530);
    QTest::keyClick(strip, Qt::Key_Down);
    QCOMPARE(d->core().mIntSystemColorAngle(), 1529);
    // One step is a sixth of a row.
    QVERIFY(qAbs(d->triangleLine(0).y1() - (255 - 1529 / 1530.0 * 255 + 28)) < 1e-9);
}

void TestColorPicker::otherModesOnlyTalkOnKeys()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QTest::mouseClick(d->objOption(1), Qt::LeftButton);
    d->picThinBox()->setFocus();
    QTest::keyClick(d->picThinBox(), Qt::Key_Up);
    QTest::mouseClick(d->objOption(2), Qt::LeftButton);
    d->picThinBox()->setFocus();
    QTest::keyClick(d->picThinBox(), Qt::Key_A);
    QCOMPARE(m_capture->texts(),
             (QStringList{QStringLiteral("A file is missing, please reinstall!"),
                          QStringLiteral("Add code for radio1!"), QStringLiteral("Add code for radio2!")}));
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("123456"));
}

void TestColorPicker::boxCorrections_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("hex");
    QTest::newRow("hue 400") << 0 << QStringLiteral("400") << 1 << QStringLiteral("360") << QStringLiteral("561212");
    QTest::newRow("hue 007") << 0 << QStringLiteral("007") << 1 << QStringLiteral("7") << QStringLiteral("561A12");
    QTest::newRow("hue 120") << 0 << QStringLiteral("120") << 0 << QStringLiteral("120") << QStringLiteral("125612");
    QTest::newRow("saturation 150") << 1 << QStringLiteral("150") << 1 << QStringLiteral("100")
                                    << QStringLiteral("002B56");
    QTest::newRow("brightness 0") << 2 << QStringLiteral("0") << 0 << QStringLiteral("0") << QStringLiteral("000000");
    QTest::newRow("red 300 acts as 255") << 3 << QStringLiteral("300") << 0 << QStringLiteral("300")
                                         << QStringLiteral("FF3456");
    QTest::newRow("red 99999 is put right")
        << 3 << QStringLiteral("99999") << 0 << QStringLiteral("255") << QStringLiteral("FF3456");
    QTest::newRow("empty hue box") << 0 << QString() << 1 << QStringLiteral("0") << QStringLiteral("561212");
    QTest::newRow("empty blue box") << 5 << QString() << 0 << QStringLiteral("0") << QStringLiteral("123400");
}

void TestColorPicker::boxCorrections()
{
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(int, messages);
    QFETCH(QString, shown);
    QFETCH(QString, hex);
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    m_capture->clear();
    QLineEdit *edit = d->txtNumValue(box);
    edit->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    // Leaving the box applies it.
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_VERIFY(!edit->hasFocus());
    QCOMPARE(m_capture->texts().size(), messages);
    if (messages > 0)
        QVERIFY(m_capture->texts()[0].contains(QStringLiteral("i required. Closest value inserted!")));
    QCOMPARE(edit->text(), shown);
    QCOMPARE(d->txtHexColor()->text(), hex);
}

void TestColorPicker::typingTakesDigitsOnly()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QLineEdit *box = d->txtNumValue(3);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, QStringLiteral("-1.a5"));
    QCOMPARE(box->text(), QStringLiteral("1815"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("1815"));
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), QStringLiteral("815"));
    QLineEdit *hex = d->txtHexColor();
    hex->setFocus();
    hex->selectAll();
    QTest::keyClick(hex, Qt::Key_Delete);
    QTest::keyClicks(hex, QStringLiteral("ab-cg12345"));
    QCOMPARE(hex->text(), QStringLiteral("ABC123"));
}

void TestColorPicker::hexTextIsReorderedAndPadded()
{
    auto d = open({}, QStringLiteral("ABC"));
    QVERIFY(d);
    QCOMPARE(d->txtNumValue(3)->text(), QStringLiteral("171"));
    QCOMPARE(d->txtNumValue(4)->text(), QStringLiteral("12"));
    QCOMPARE(d->txtNumValue(5)->text(), QStringLiteral("0"));
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("AB0C00"));
    // An empty hex box changes nothing and shows the colour's text again.
    d->setHexColor(QString());
    d->txtHexColor_LostFocus();
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("AB0C00"));
    QCOMPARE(d->newColor(), bgr(171, 12, 0));
}

void TestColorPicker::swatchClicksSwapColours()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QTest::mouseClick(d->lblNewColor(), Qt::LeftButton);
    QCOMPARE(d->oldColor(), bgr(18, 52, 86));
    d->setHexColor(QStringLiteral("FF8000"));
    d->txtHexColor_LostFocus();
    QCOMPARE(d->txtNumValue(0)->text(), QStringLiteral("30"));
    QTest::mouseClick(d->lblOldColor(), Qt::LeftButton);
    QCOMPARE(d->newColor(), bgr(18, 52, 86));
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("123456"));
    const QStringList boxes{QStringLiteral("210"), QStringLiteral("79"), QStringLiteral("34"),
                            QStringLiteral("18"),  QStringLiteral("52"), QStringLiteral("86")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d->txtNumValue(i)->text(), boxes[i]);
}

void TestColorPicker::fieldMouseUpBeforeReadyEndsTheDrag()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    m_capture->clear();
    d->core().setBigBoxReady(false);
    d->picBigBox_MouseDown(1, 10, 10);
    d->picBigBox_MouseUp(1, 10, 10);
    QCOMPARE(m_capture->texts(), QStringList{QStringLiteral("mBlnBigBoxReady = False!")});
    QVERIFY(!d->mBlnMouseDown());
}

void TestColorPicker::okKeepsTheBoxesCancelEmptiesTheHexBox()
{
    {
        auto d = open({}, QStringLiteral("123456"));
        QVERIFY(d);
        QTest::mouseClick(d->CmdOK(), Qt::LeftButton, {}, QPoint(50, 16));
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->txtHexColor()->text(), QStringLiteral("123456"));
        QCOMPARE(d->txtNumValue(4)->text(), QStringLiteral("52"));
    }
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QTest::mouseClick(d->CmdCancel(), Qt::LeftButton, {}, QPoint(50, 16));
    QVERIFY(!d->isVisible());
    QCOMPARE(d->txtHexColor()->text(), QString());
    QCOMPARE(d->txtNumValue(4)->text(), QStringLiteral("52"));
    // Escape is Cancel too.
    auto e = open({}, QStringLiteral("123456"));
    QVERIFY(e);
    QTest::keyClick(e->txtNumValue(0), Qt::Key_Escape);
    QCOMPARE(e->txtHexColor()->text(), QString());
}

void TestColorPicker::enterAppliesTheFocusedBox()
{
    auto d = open({}, QStringLiteral("123456"));
    QVERIFY(d);
    QLineEdit *green = d->txtNumValue(4);
    green->setFocus();
    green->selectAll();
    QTest::keyClick(green, Qt::Key_Delete);
    QTest::keyClicks(green, QStringLiteral("200"));
    QTest::keyClick(green, Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->txtHexColor()->text(), QStringLiteral("12C856"));
    QCOMPARE(d->newColor(), bgr(18, 200, 86));
}

void TestColorPicker::unloadWritesTheState()
{
    auto d = open("1\r\n\"objOption0\"\r\n\"NumberOfPaths2\"\r\n\"a\"\r\n\"b\"\r\n", QStringLiteral("0A0B0C"));
    QVERIFY(d);
    QTest::mouseClick(d->objOption(5), Qt::LeftButton);
    QTest::mouseClick(d->CmdCancel(), Qt::LeftButton, {}, QPoint(50, 16));
    const BgrColor shown = d->newColor();
    d->Form_QueryUnload();
    QCOMPARE(stateBytes(),
             QByteArray::number(shown) + "\r\n\"objOption5\"\r\n\"NumberOfPaths2\"\r\n\"a\"\r\n\"b\"\r\n");
    // A failed save is reported, and nothing else happens.
    auto e = open();
    QVERIFY(e);
    QFile::remove(statePath());
    QVERIFY(QDir().mkdir(statePath()));
    m_capture->clear();
    e->Form_QueryUnload();
    QCOMPARE(m_capture->texts().size(), 1);
    QVERIFY(m_capture->texts()[0].startsWith(QStringLiteral("Unknown error")));
    QDir().rmdir(statePath());
}

void TestColorPicker::destroyedWhileShownWithAFocusedButton()
{
    // Destroying hides the dialog, which takes the focus from the button; the button must not
    // ask the half-destroyed dialog how to draw itself (a sanitizer build aborts if it does).
    auto d = open();
    QVERIFY(d);
    d->CmdOK()->setFocus();
    QTRY_VERIFY(d->CmdOK()->hasFocus());
    d.reset();
}

void TestColorPicker::pastedHexIsFilteredAsTyping_data()
{
    // The box's text and cursor before the paste (-1: all of it selected).
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    const QString black = QStringLiteral("000000");
    QTest::newRow("too many digits") << black << -1 << QStringLiteral("1234567890") << QStringLiteral("123456");
    QTest::newRow("trailing blank") << black << -1 << QStringLiteral("3A7FC4 ") << QStringLiteral("3A7FC4");
    QTest::newRow("with a hash") << black << -1 << QStringLiteral("#3A7FC4") << QStringLiteral("3A7FC4");
    QTest::newRow("lower case") << black << -1 << QStringLiteral("3a7fc4") << QStringLiteral("3A7FC4");
    // As typing: a full box takes nothing more, a box with room takes what fits.
    QTest::newRow("into a full box") << black << 3 << QStringLiteral("3A7FC4") << black;
    QTest::newRow("into the room left") << QStringLiteral("1234") << 4 << QStringLiteral("#ABCD")
                                        << QStringLiteral("1234AB");
    QTest::newRow("into the middle") << QStringLiteral("1234") << 2 << QStringLiteral("x9y") << QStringLiteral("12934");
}

void TestColorPicker::pastedHexIsFilteredAsTyping()
{
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    auto d = open();
    QVERIFY(d);
    QGuiApplication::clipboard()->setText(pasted);
    QLineEdit *hex = d->txtHexColor();
    hex->setFocus();
    QTRY_VERIFY(hex->hasFocus());
    hex->setText(before);
    if (cursor < 0)
        hex->selectAll();
    else
        hex->setCursorPosition(cursor);
    QTest::keyClick(hex, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(hex->text(), kept);
    // The colour follows what the box holds.
    if (kept.size() == 6) {
        d->txtHexColor_LostFocus();
        const uint value = kept.toUInt(nullptr, 16);
        QCOMPARE(d->newColor(), bgr(int(value >> 16), int((value >> 8) & 0xFF), int(value & 0xFF)));
    }
}

void TestColorPicker::theCheckedModeButtonHasTheFocusAtOpening_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<int>("mode");
    QTest::newRow("no state file: hue") << QByteArray() << 0;
    QTest::newRow("green") << QByteArray("255\r\n\"objOption4\"\r\n\"NumberOfPaths0\"\r\n") << 4;
}

void TestColorPicker::theCheckedModeButtonHasTheFocusAtOpening()
{
    QFETCH(QByteArray, state);
    QFETCH(int, mode);
    auto d = open(state.isEmpty() ? QByteArray() : state);
    QVERIFY(d);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->objOption(mode)));
}

void TestColorPicker::trianglesSpanTenRows()
{
    // Red in hue mode: the strip's row is 255, so the vertical lines run from 283 up to, but not
    // including, 293, as GDI draws a line without its end point. On the left the rising line
    // starts at row + 38 (277, 293), and a line's first point is drawn.
    auto d = open({}, QStringLiteral("FF0000"));
    QVERIFY(d);
    QCOMPARE(d->triangleLine(0).y1(), 283.0);
    const QImage shot = d->clientArea()->grab().toImage();
    for (int x : {277, 312}) {
        const int last = x == 277 ? 293 : 292;
        for (int y = 280; y <= 295; ++y) {
            const bool inside = y >= 283 && y <= last;
            QVERIFY2((shot.pixel(x, y) & 0xFFFFFF) == 0 ? inside : !inside,
                     qPrintable(QStringLiteral("x %1, y %2").arg(x).arg(y)));
        }
    }
}

QTEST_MAIN(TestColorPicker)
#include "tst_colorpicker.moc"
