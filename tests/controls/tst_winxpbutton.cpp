#include "controls/xpbutton/winxpbutton.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace zimbrel;

namespace {

// A form holding buttons: it names new ones, gives its font, and records change notices.
class Form : public QWidget, public ButtonContainer
{
public:
    Form()
    {
        setGeometry(100, 100, 300, 200);
        before = new QLineEdit(this);
        before->setGeometry(10, 10, 80, 20);
        button = new WinXPButton(this, this);
        button->setGeometry(10, 50, 105, 33);
        after = new QLineEdit(this);
        after->setGeometry(10, 100, 80, 20);
    }

    QString ambientDisplayName(const WinXPButton *) const override { return QStringLiteral("WinXPButton1"); }
    QFont ambientFont() const override { return QFont(QStringLiteral("DejaVu Sans"), 9); }
    bool ambientDisplayAsDefault(const WinXPButton *) const override { return isDefault; }
    void propertyChanged(WinXPButton *, const QString &key) override { changed << key; }

    QLineEdit *before;
    WinXPButton *button;
    QLineEdit *after;
    QStringList changed;
    bool isDefault = false;
};

BgrColor pixel(const WinXPButton *b, int x, int y)
{
    return GdiCanvas(const_cast<QImage &>(b->surface())).pixel(x, y);
}

constexpr BgrColor kHotFrame = bgr(255, 178, 49);
constexpr BgrColor kFocusFrame = bgr(140, 174, 231);
constexpr BgrColor kPressedTop = bgr(176, 176, 167);
constexpr BgrColor kPlainTop = bgr(255, 255, 255);

} // namespace

class TestWinXPButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // Persistence and properties
    void newButtonTakesItsNameAndDefaults();
    void restoresAndSavesItsProperties();
    void restoringUsesDefaultsForMissingKeys();
    void bagTextReadsBackTheSame_data();
    void bagTextReadsBackTheSame();
    void captionsSurviveTheTextForm_data();
    void captionsSurviveTheTextForm();
    void mouseIconSurvivesTheBag_data();
    void mouseIconSurvivesTheBag();
    void keysCarryTheirWindowsCodes_data();
    void keysCarryTheirWindowsCodes();
    void picturesAreMarkedAndPersisted();
    void propertiesMarkTheirKeys_data();
    void propertiesMarkTheirKeys();
    void disableRefreshPaintsOnceAtRefresh();
    void unchangedRedrawIsSkipped();
    void accessKeys_data();
    void accessKeys();

    // Interaction
    void startsWithOneMouseOutAndStopsItsTimer();
    void hoverIsHotUntilThePointerLeaves();
    void leftClickPressesAndClicks();
    void draggingOutAndBackTogglesThePressedLook();
    void rightClickNeitherPressesNorClicks();
    void handlersMayChangeTheArguments();
    void doubleClickRaisesOneClick();
    void spaceClicksOnceOnRelease();
    void spaceThenArrowRaisesNoClick();
    void arrowsMoveTheFocus_data();
    void arrowsMoveTheFocus();
    void accessKeyClicksOnlyWhenEnabled();
    void focusAndDefaultShowTheBlueRim();
    void formDestroyedWhileTheButtonHasTheFocus();

private:
    void hoverAt(QPoint local);
    void moveAway();
    std::unique_ptr<Form> m_form;
};

void TestWinXPButton::init()
{
    QCursor::setPos(0, 0);
    m_form = std::make_unique<Form>();
    m_form->button->InitProperties();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    // Let the first timer tick find the pointer elsewhere.
    QTRY_VERIFY(!m_form->button->overTimerActive());
    m_form->changed.clear();
}

void TestWinXPButton::cleanup()
{
    m_form.reset();
}

void TestWinXPButton::hoverAt(QPoint local)
{
    WinXPButton *b = m_form->button;
    QCursor::setPos(b->mapToGlobal(local));
    QTest::mouseMove(b, local);
}

void TestWinXPButton::moveAway()
{
    QCursor::setPos(m_form->mapToGlobal(QPoint(250, 180)));
    QTest::mouseMove(m_form.get(), QPoint(250, 180));
}

void TestWinXPButton::newButtonTakesItsNameAndDefaults()
{
    WinXPButton *b = m_form->button;
    QCOMPARE(b->Caption(), QStringLiteral("WinXPButton1"));
    QVERIFY(b->Enabled());
    QVERIFY(b->UseMaskColor());
    QCOMPARE(b->SpecialEffect(), 0);
    QCOMPARE(b->TransparentColor(), bgr(192, 192, 192));
    QCOMPARE(b->FontName(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(WinXPButton(nullptr).size(), QSize(320, 240));
}

void TestWinXPButton::restoresAndSavesItsProperties()
{
    // The design data as the forms keep it, keys in lower case.
    const PropertyBag design = PropertyBag::fromText(
        QStringLiteral("_extentx = 2778\n_extenty = 873\ntx = \"Sa&ve\"\nenab = -1 'True\n"
                       "font = font(\"MS Sans Serif\", 8.25, 0, 0, 0)\nmptr = 0\nmicon = Nothing\numcol = -1 'True\n"
                       "picpos = 0\nngrey = 0 'False\nfx = 3\n"));
    WinXPButton b(nullptr);
    b.ReadProperties(design);
    QCOMPARE(b.Caption(), QStringLiteral("Sa&ve"));
    QCOMPARE(b.accessKey(), QStringLiteral("v"));
    QVERIFY(b.Enabled());
    QCOMPARE(b.FontSize(), qint16(8));
    QCOMPARE(b.SpecialEffect(), 3);
    QVERIFY(b.UseMaskColor());
    QVERIFY(!b.UseGreyscale());
    // Not stored, so a restored button treats black as transparent.
    QCOMPARE(b.TransparentColor(), BgrColor(0));

    PropertyBag saved;
    b.WriteProperties(saved);
    QCOMPARE(
        saved.keys(),
        (QStringList{QStringLiteral("TX"), QStringLiteral("ENAB"), QStringLiteral("FONT"), QStringLiteral("MPTR"),
                     QStringLiteral("MICON"), QStringLiteral("PICN"), QStringLiteral("PICH"), QStringLiteral("UMCOL"),
                     QStringLiteral("PICPOS"), QStringLiteral("NGREY"), QStringLiteral("FX")}));
    // Through the text form and back, the same button comes out.
    WinXPButton again(nullptr);
    again.ReadProperties(PropertyBag::fromText(saved.toText()));
    PropertyBag second;
    again.WriteProperties(second);
    QCOMPARE(second.toText(), saved.toText());
}

void TestWinXPButton::bagTextReadsBackTheSame_data()
{
    // Any text reads into a bag; that bag written as text reads back as the same bag. `font` names
    // a key whose value must come back as a font.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("font");
    QTest::newRow("a button's design") << QStringLiteral(
        "TX = \"Save\"\nFONT = font(\"DejaVu Sans\", 8.25, -1, 0, 0)\nFX = 3\n")
                                       << QStringLiteral("font");
    QTest::newRow("font of size 0 (found by fuzzing)")
        << QStringLiteral("nt = font(\"Vu Sans\", 7, 0, 0, 0)\nnt = font(\"Vu Sans\", 0, 0, 0, 0)\n")
        << QStringLiteral("nt");
    QTest::newRow("font family with a CR (found by fuzzing)")
        << QStringLiteral("f = font(\"Vu\rSans\", 7, 0, 0, 0)\n") << QStringLiteral("f");
    QTest::newRow("font size not a number")
        << QStringLiteral("f = font(\"x\", 1.2.3, 0, 0, 0)\n") << QStringLiteral("f");
    // A font sized in pixels has no point size and is written with -1.
    QTest::newRow("font without a point size")
        << QStringLiteral("f = font(\"x\", -1, 0, 0, 0)\n") << QStringLiteral("f");
    QTest::newRow("keys differing in case") << QStringLiteral("a = 1\nA = \"two\"\n") << QString();
    QTest::newRow("unknown values") << QStringLiteral("a = fo4ej\n = 1\nb = \"\n") << QString();
}

void TestWinXPButton::bagTextReadsBackTheSame()
{
    QFETCH(QString, text);
    QFETCH(QString, font);
    const PropertyBag bag = PropertyBag::fromText(text);
    const PropertyBag again = PropertyBag::fromText(bag.toText());
    QCOMPARE(again.keys(), bag.keys());
    QCOMPARE(again.toText(), bag.toText());
    if (!font.isEmpty())
        QCOMPARE(again.ReadProperty(font).typeId(), int(QMetaType::QFont));
}

void TestWinXPButton::captionsSurviveTheTextForm_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("CR LF") << QStringLiteral("Line 1\r\nLine 2");
    QTest::newRow("lone CR and LF") << QStringLiteral("a\rb\nc");
    QTest::newRow("breaks at the ends") << QStringLiteral("\r\nmiddle\n");
    QTest::newRow("only a break") << QStringLiteral("\n");
    QTest::newRow("quotes") << QStringLiteral("say \"hi\" \"\"");
    QTest::newRow("equals sign") << QStringLiteral("a = b = c");
    QTest::newRow("ampersands") << QStringLiteral("&Save && \" & vbCrLf & \"");
    QTest::newRow("blanks at the ends") << QStringLiteral("  padded  ");
    QTest::newRow("empty") << QString();
}

void TestWinXPButton::captionsSurviveTheTextForm()
{
    QFETCH(QString, caption);
    WinXPButton b(nullptr);
    b.InitProperties();
    b.setCaption(caption);
    PropertyBag bag;
    b.WriteProperties(bag);
    WinXPButton again(nullptr);
    again.ReadProperties(PropertyBag::fromText(bag.toText()));
    QCOMPARE(again.Caption(), caption);
}

void TestWinXPButton::mouseIconSurvivesTheBag_data()
{
    QTest::addColumn<bool>("throughText");
    QTest::newRow("the bag itself") << false;
    QTest::newRow("its text form") << true;
}

void TestWinXPButton::mouseIconSurvivesTheBag()
{
    QFETCH(bool, throughText);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < 16; ++i)
        image.setPixel(i, i, qRgb(200, 0, 0));
    WinXPButton b(nullptr);
    b.InitProperties();
    b.setMouseIcon(QPixmap::fromImage(image));
    b.setMousePointer(99);
    PropertyBag bag;
    b.WriteProperties(bag);
    WinXPButton again(nullptr);
    again.ReadProperties(throughText ? PropertyBag::fromText(bag.toText()) : bag);
    QCOMPARE(again.MouseIcon().toImage().convertToFormat(QImage::Format_ARGB32), image);
    // Pointer 99 shows the icon.
    QCOMPARE(again.MousePointer(), 99);
    QCOMPARE(again.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(again.cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32), image);
}

void TestWinXPButton::keysCarryTheirWindowsCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int pad = Qt::KeypadModifier;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << shift << 16;
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier) << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << int(Qt::AltModifier) << 18;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << 36;
    QTest::newRow("End") << int(Qt::Key_End) << none << 35;
    QTest::newRow("PgUp") << int(Qt::Key_PageUp) << none << 33;
    QTest::newRow("PgDn") << int(Qt::Key_PageDown) << none << 34;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none << 45;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 46;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 32;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 37;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 40;
    QTest::newRow("comma") << int(Qt::Key_Comma) << none << 188;
    QTest::newRow("less-than is the comma key") << int(Qt::Key_Less) << shift << 188;
    QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << none << 186;
    QTest::newRow("minus") << int(Qt::Key_Minus) << none << 189;
    QTest::newRow("apostrophe") << int(Qt::Key_Apostrophe) << none << 222;
    QTest::newRow("Q") << int(Qt::Key_Q) << none << 81;
    QTest::newRow("exclamation is the 1 key") << int(Qt::Key_Exclam) << shift << 49;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << 116;
    QTest::newRow("number pad 7") << int(Qt::Key_7) << pad << 103;
    QTest::newRow("number pad plus") << int(Qt::Key_Plus) << pad << 107;
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << none << 20;
    QTest::newRow("Num Lock") << int(Qt::Key_NumLock) << none << 144;
}

void TestWinXPButton::keysCarryTheirWindowsCodes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    WinXPButton *b = m_form->button;
    // The events pass their arguments by reference, so a direct handler reads them.
    QList<int> down;
    QList<int> up;
    connect(b, &WinXPButton::KeyDown, this, [&](short &k, short &) { down << k; });
    connect(b, &WinXPButton::KeyUp, this, [&](short &k, short &) { up << k; });
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers));
    QApplication::sendEvent(b, &press);
    QApplication::sendEvent(b, &release);
    QCOMPARE(down, QList<int>{code});
    QCOMPARE(up, QList<int>{code});
}

void TestWinXPButton::restoringUsesDefaultsForMissingKeys()
{
    WinXPButton b(nullptr);
    b.ReadProperties(PropertyBag());
    QCOMPARE(b.Caption(), QString());
    QVERIFY(b.Enabled());
    QVERIFY(b.UseMaskColor());
    QCOMPARE(b.PicturePosition(), 0);
    QCOMPARE(b.SpecialEffect(), 0);
    QCOMPARE(b.MousePointer(), 0);
}

void TestWinXPButton::picturesAreMarkedAndPersisted()
{
    WinXPButton *b = m_form->button;
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 0));
    const PicturePtr picture = std::make_shared<const ButtonPicture>(image, ButtonPicture::Bitmap);
    const int before = b->redrawCount();
    b->setPictureNormal(picture);
    QCOMPARE(b->redrawCount(), before + 1);
    QCOMPARE(b->pictureLayout().PictureWidth, 16);
    b->setPictureOver(picture);
    // UseGreyscale now redraws, as there is a picture.
    b->setUseGreyscale(true);
    QCOMPARE(b->redrawCount(), before + 2);
    QCOMPARE(m_form->changed, (QStringList{QStringLiteral("PICN"), QStringLiteral("PICO"), QStringLiteral("NGREY")}));

    PropertyBag bag;
    b->WriteProperties(bag);
    WinXPButton restored(nullptr);
    restored.ReadProperties(PropertyBag::fromText(bag.toText()));
    QVERIFY(restored.PictureNormal());
    QVERIFY(restored.PictureOver());
    QCOMPARE(restored.PictureNormal()->image(), picture->image());
    QCOMPARE(restored.pictureLayout().PictureHeight, 16);
    // A restored button without pictures has none, and no picture size.
    WinXPButton plain(nullptr);
    plain.ReadProperties(PropertyBag());
    QVERIFY(!plain.PictureNormal());
    QCOMPARE(plain.pictureLayout().PictureWidth, 0);
}

void TestWinXPButton::propertiesMarkTheirKeys_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("redraws");
    QTest::newRow("Caption") << QStringLiteral("Caption") << QStringLiteral("TX") << true;
    QTest::newRow("Enabled") << QStringLiteral("Enabled") << QStringLiteral("ENAB") << true;
    QTest::newRow("Font") << QStringLiteral("Font") << QStringLiteral("FONT") << true;
    QTest::newRow("FontBold") << QStringLiteral("FontBold") << QString() << true;
    QTest::newRow("FontSize") << QStringLiteral("FontSize") << QString() << true;
    QTest::newRow("MousePointer") << QStringLiteral("MousePointer") << QStringLiteral("MPTR") << false;
    QTest::newRow("PicturePosition") << QStringLiteral("PicturePosition") << QStringLiteral("PICPOS") << true;
    QTest::newRow("UseMaskColor") << QStringLiteral("UseMaskColor") << QStringLiteral("UMCOL") << false;
    QTest::newRow("UseGreyscale") << QStringLiteral("UseGreyscale") << QStringLiteral("NGREY") << false;
    QTest::newRow("SpecialEffect") << QStringLiteral("SpecialEffect") << QStringLiteral("FX") << true;
}

void TestWinXPButton::propertiesMarkTheirKeys()
{
    QFETCH(QString, property);
    QFETCH(QString, key);
    QFETCH(bool, redraws);
    WinXPButton *b = m_form->button;
    const int before = b->redrawCount();
    if (property == QStringLiteral("Caption"))
        b->setCaption(QStringLiteral("Other"));
    else if (property == QStringLiteral("Enabled"))
        b->setButtonEnabled(true);
    else if (property == QStringLiteral("Font"))
        b->setButtonFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    else if (property == QStringLiteral("FontBold"))
        b->setFontBold(true);
    else if (property == QStringLiteral("FontSize"))
        b->setFontSize(12);
    else if (property == QStringLiteral("MousePointer"))
        b->setMousePointer(11);
    else if (property == QStringLiteral("PicturePosition"))
        b->setPicturePosition(2);
    else if (property == QStringLiteral("UseMaskColor"))
        b->setUseMaskColor(false);
    else if (property == QStringLiteral("UseGreyscale"))
        b->setUseGreyscale(true);
    else if (property == QStringLiteral("SpecialEffect"))
        b->setSpecialEffect(2);
    QCOMPARE(m_form->changed, key.isEmpty() ? QStringList() : QStringList{key});
    QCOMPARE(b->redrawCount() > before, redraws);
}

void TestWinXPButton::disableRefreshPaintsOnceAtRefresh()
{
    WinXPButton *b = m_form->button;
    const int before = b->redrawCount();
    b->DisableRefresh();
    b->setCaption(QStringLiteral("&Go"));
    b->setSpecialEffect(1);
    QCOMPARE(b->redrawCount(), before);
    QCOMPARE(b->accessKey(), QStringLiteral("g"));
    b->Refresh();
    QCOMPARE(b->redrawCount(), before + 1);
}

void TestWinXPButton::unchangedRedrawIsSkipped()
{
    WinXPButton *b = m_form->button;
    // Moving around inside the button while hot changes nothing and draws nothing.
    hoverAt(QPoint(20, 10));
    const int before = b->redrawCount();
    QTest::mouseMove(b, QPoint(30, 12));
    QTest::mouseMove(b, QPoint(40, 14));
    QCOMPARE(b->redrawCount(), before);
}

void TestWinXPButton::accessKeys_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");
    QTest::newRow("&Save") << QStringLiteral("&Save") << QStringLiteral("s");
    QTest::newRow("Sa&ve") << QStringLiteral("Sa&ve") << QStringLiteral("v");
    QTest::newRow("Fish && Chips") << QStringLiteral("Fish && Chips") << QString();
    QTest::newRow("A&&B&c") << QStringLiteral("A&&B&c") << QStringLiteral("c");
    QTest::newRow("Save&") << QStringLiteral("Save&") << QString();
    QTest::newRow("&") << QStringLiteral("&") << QString();
    QTest::newRow("no marker") << QStringLiteral("Cancel") << QString();
    QTest::newRow("&&&&x") << QStringLiteral("A&&&&x") << QString();
    QTest::newRow("&& then & at the end") << QStringLiteral("A&&B&") << QString();
}

void TestWinXPButton::accessKeys()
{
    QFETCH(QString, caption);
    QFETCH(QString, key);
    m_form->button->setCaption(caption);
    QCOMPARE(m_form->button->accessKey(), key);
}

void TestWinXPButton::startsWithOneMouseOutAndStopsItsTimer()
{
    Form form;
    QSignalSpy out(form.button, &WinXPButton::MouseOut);
    form.show();
    QTRY_COMPARE(out.count(), 1);
    QVERIFY(!form.button->overTimerActive());
    QTest::qWait(30);
    QCOMPARE(out.count(), 1);
}

void TestWinXPButton::hoverIsHotUntilThePointerLeaves()
{
    WinXPButton *b = m_form->button;
    QSignalSpy over(b, &WinXPButton::MouseOver);
    QSignalSpy out(b, &WinXPButton::MouseOut);
    hoverAt(QPoint(20, 10));
    QCOMPARE(over.count(), 1);
    QVERIFY(b->isMouseOverFlag());
    QVERIFY(b->overTimerActive());
    QCOMPARE(pixel(b, 1, 16), kHotFrame);
    hoverAt(QPoint(50, 20));
    QCOMPARE(over.count(), 1);
    // Leaving without a move reaching the button: the timer notices.
    QCursor::setPos(m_form->mapToGlobal(QPoint(250, 180)));
    QTRY_COMPARE(out.count(), 1);
    QVERIFY(!b->isMouseOverFlag());
    QVERIFY(!b->overTimerActive());
    QCOMPARE(pixel(b, 52, 1), kPlainTop);
    // Coming back raises MouseOver again.
    hoverAt(QPoint(20, 10));
    QCOMPARE(over.count(), 2);
}

void TestWinXPButton::leftClickPressesAndClicks()
{
    WinXPButton *b = m_form->button;
    QSignalSpy click(b, &WinXPButton::Click);
    hoverAt(QPoint(20, 10));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b->lastState(), 2);
    QCOMPARE(pixel(b, 52, 1), kPressedTop);
    QCOMPARE(click.count(), 0);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(click.count(), 1);
    QCOMPARE(b->lastState(), 0);
    // Released outside: pressed look ends, no click.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(200, 10));
    QCOMPARE(click.count(), 1);
    QCOMPARE(b->lastState(), 0);
}

void TestWinXPButton::draggingOutAndBackTogglesThePressedLook()
{
    WinXPButton *b = m_form->button;
    QSignalSpy click(b, &WinXPButton::Click);
    hoverAt(QPoint(20, 10));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b->lastState(), 2);
    const QPoint outside(200, 10);
    QCursor::setPos(b->mapToGlobal(outside));
    QMouseEvent out(QEvent::MouseMove, outside, b->mapToGlobal(outside), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(b, &out);
    QCOMPARE(b->lastState(), 0);
    QCursor::setPos(b->mapToGlobal(QPoint(30, 12)));
    QMouseEvent in(QEvent::MouseMove, QPointF(30, 12), b->mapToGlobal(QPointF(30, 12)), Qt::NoButton, Qt::LeftButton,
                   {});
    QApplication::sendEvent(b, &in);
    QCOMPARE(b->lastState(), 2);
    // A move with the button held leaves the button not hot until the next plain move.
    QVERIFY(!b->isMouseOverFlag());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(30, 12));
    QCOMPARE(click.count(), 1);
    QCOMPARE(b->lastState(), 0);
}

void TestWinXPButton::rightClickNeitherPressesNorClicks()
{
    WinXPButton *b = m_form->button;
    QSignalSpy click(b, &WinXPButton::Click);
    int downs = 0;
    int ups = 0;
    connect(b, &WinXPButton::MouseDown, this, [&](short &button, short &, float &, float &) { downs += button == 2; });
    connect(b, &WinXPButton::MouseUp, this, [&](short &button, short &, float &, float &) { ups += button == 2; });
    QTest::mousePress(b, Qt::RightButton, {}, QPoint(20, 10));
    QCOMPARE(b->lastState(), 0);
    QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(20, 10));
    QCOMPARE(downs, 1);
    QCOMPARE(ups, 1);
    QCOMPARE(click.count(), 0);
}

void TestWinXPButton::handlersMayChangeTheArguments()
{
    WinXPButton *b = m_form->button;
    QSignalSpy click(b, &WinXPButton::Click);
    // A handler that turns every press into a right-button press stops the pressed look and the click.
    connect(b, &WinXPButton::MouseDown, this, [](short &button, short &, float &, float &) { button = 2; });
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b->lastState(), 0);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(click.count(), 0);
}

void TestWinXPButton::doubleClickRaisesOneClick()
{
    WinXPButton *b = m_form->button;
    QSignalSpy click(b, &WinXPButton::Click);
    int downs = 0;
    connect(b, &WinXPButton::MouseDown, this, [&](short &, short &, float &, float &) { ++downs; });
    // The first click, then the second press arriving as a double click.
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(b->lastState(), 2);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(click.count(), 1);
    QVERIFY(downs >= 2);
    QCOMPARE(b->lastState(), 0);
}

void TestWinXPButton::spaceClicksOnceOnRelease()
{
    WinXPButton *b = m_form->button;
    b->setFocus();
    QSignalSpy click(b, &WinXPButton::Click);
    QTest::keyPress(b, Qt::Key_Space);
    QCOMPARE(b->lastState(), 2);
    QTest::keyPress(b, Qt::Key_Space, {}, -1);
    QCOMPARE(click.count(), 0);
    QTest::keyRelease(b, Qt::Key_Space);
    QCOMPARE(click.count(), 1);
    QCOMPARE(b->lastState(), 0);
}

void TestWinXPButton::spaceThenArrowRaisesNoClick()
{
    WinXPButton *b = m_form->button;
    b->setFocus();
    QSignalSpy click(b, &WinXPButton::Click);
    QTest::keyPress(b, Qt::Key_Space);
    QTest::keyPress(b, Qt::Key_Down);
    QTest::keyRelease(b, Qt::Key_Down);
    QTest::keyRelease(b, Qt::Key_Space);
    QCOMPARE(click.count(), 0);
}

void TestWinXPButton::arrowsMoveTheFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("forward");
    QTest::newRow("right") << int(Qt::Key_Right) << true;
    QTest::newRow("down") << int(Qt::Key_Down) << true;
    QTest::newRow("left") << int(Qt::Key_Left) << false;
    QTest::newRow("up") << int(Qt::Key_Up) << false;
}

void TestWinXPButton::arrowsMoveTheFocus()
{
    QFETCH(int, key);
    QFETCH(bool, forward);
    m_form->activateWindow();
    m_form->button->setFocus();
    QTRY_VERIFY(m_form->button->hasFocus());
    QTest::keyClick(m_form->button, Qt::Key(key));
    QWidget *expected = forward ? m_form->after : m_form->before;
    QTRY_VERIFY(expected->hasFocus());
}

void TestWinXPButton::accessKeyClicksOnlyWhenEnabled()
{
    WinXPButton *b = m_form->button;
    b->setCaption(QStringLiteral("&Save"));
    QSignalSpy click(b, &WinXPButton::Click);
    m_form->before->setFocus();
    QTest::keyClick(m_form->before, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(click.count(), 1);
    b->AccessKeyPress(13);
    QCOMPARE(click.count(), 2);
    b->setButtonEnabled(false);
    b->AccessKeyPress(13);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(click.count(), 2);
    QCOMPARE(pixel(b, 0, 16), bgr(156, 156, 135));
}

void TestWinXPButton::focusAndDefaultShowTheBlueRim()
{
    WinXPButton *b = m_form->button;
    QCOMPARE(pixel(b, b->width() - 2, 16), bgr(204, 204, 195));
    m_form->isDefault = true;
    b->AmbientChanged(QStringLiteral("DisplayAsDefault"));
    QCOMPARE(pixel(b, b->width() - 2, 16), kFocusFrame);
    m_form->isDefault = false;
    b->AmbientChanged(QStringLiteral("DisplayAsDefault"));
    QCOMPARE(pixel(b, b->width() - 2, 16), bgr(204, 204, 195));
    m_form->activateWindow();
    b->setFocus();
    QTRY_VERIFY(b->hasFocusFlag());
    QCOMPARE(pixel(b, b->width() - 2, 16), kFocusFrame);
    m_form->after->setFocus();
    QTRY_VERIFY(!b->hasFocusFlag());
    QCOMPARE(pixel(b, b->width() - 2, 16), bgr(204, 204, 195));
}

void TestWinXPButton::formDestroyedWhileTheButtonHasTheFocus()
{
    // Destroying hides the form, which takes the focus from the button; the button must not ask
    // the half-destroyed form how to draw itself (a sanitizer build aborts if it does).
    m_form->isDefault = true;
    m_form->activateWindow();
    m_form->button->setFocus();
    QTRY_VERIFY(m_form->button->hasFocus());
    m_form.reset();
    // A button whose form has gone draws without it.
    WinXPButton orphan(nullptr);
    {
        Form form;
        orphan.setContainer(&form);
    }
    QVERIFY(!orphan.container());
    orphan.InitProperties();
    QCOMPARE(orphan.Caption(), QString());
}

QTEST_MAIN(TestWinXPButton)
#include "tst_winxpbutton.moc"
