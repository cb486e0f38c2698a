#include "frmcolorpicker.h"

#include "controls/xpbutton/dialogbuttons.h"
#include "platform/gdicanvas.h"
#include "platform/messagebox.h"
#include "platform/numerics.h"
#include "settings/colorpicker/pickerstate.h"
#include "shared/placement.h"
#include "shared/titleband.h"
#include "settings/colorpicker/pickerwidgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPainter>

#include <algorithm>

namespace zimbrel::picker {
namespace {

constexpr QRgb kBackColor = 0xFFD7D9DD; // RGB(215, 217, 221)

const QString kTitle = QStringLiteral("Color Picker");

// A message from the colour routines, shown as the picker shows its notes: no title, no icon.
void note(const QString &text)
{
    if (!text.isEmpty())
        showMessage({text, {}, MessageIcon::None});
}

void drawWithoutEndPoint(QPainter &painter, const QLineF &line)
{
    GdiCanvas::forEachLinePoint(int(roundHalfEven(line.x1())), int(roundHalfEven(line.y1())),
                                int(roundHalfEven(line.x2())), int(roundHalfEven(line.y2())),
                                [&painter](int x, int y) { painter.drawPoint(x, y); });
}

} // namespace

// --- The dialog ----------------------------------------------------------------------------------

frmColorPicker::frmColorPicker(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    // No caption is drawn; window lists show this.
    setWindowTitle(QStringLiteral("Color Picker"));
    // The fixed dialog frame around the client area, which holds every control.
    setFixedSize(kClientSize + QSize(2 * kFrameWidth, 2 * kFrameWidth));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setModal(true);
    m_band = titleBand();
    m_client = new ClientArea(this);
    m_client->setGeometry(QRect(QPoint(kFrameWidth, kFrameWidth), kClientSize));
    m_client->paint = [this](QPainter &p) { paintClient(p); };

    // The strip's margin lies below the strip, the swatches above their frame.
    m_margin = new MouseArea(m_client);
    m_field = new PictureBox(m_core.picBigBox(), m_client);
    m_field->setGeometry(13, 31, 260, 260);
    m_field->setCursor(ringCursor());
    m_strip = new PictureBox(m_core.picThinBox(), m_client);
    m_strip->setGeometry(284, 31, 19 + 2 * PictureBox::kBorder, 256 + 2 * PictureBox::kBorder);
    m_field->setAccessibleName(QStringLiteral("Color field"));
    m_strip->setAccessibleName(QStringLiteral("Color slider"));
    m_margin->setGeometry(m_strip->x() - 10, m_strip->y(), m_strip->width() + 20, m_strip->height());

    m_newSwatch = new Swatch(m_client);
    m_newSwatch->setGeometry(322, 33, 58, 33);
    m_oldSwatch = new Swatch(m_client);
    m_oldSwatch->setGeometry(322, 66, 58, 33);
    m_newSwatch->setAccessibleName(QStringLiteral("New color"));
    m_oldSwatch->setAccessibleName(QStringLiteral("Old color"));

    const char *captions[] = {"H:", "S:", "B:", "R:", "G:", "B:"};
    const char *names[] = {"hue", "saturation", "brightness", "red", "green", "blue"};
    const char *spoken[] = {"Hue", "Saturation", "Brightness", "Red", "Green", "Blue"};
    for (int i = 0; i < 6; ++i) {
        auto *option = new QRadioButton(QString::fromLatin1(captions[i]), m_client);
        option->setGeometry(320, 111 + 25 * i, 33, 17);
        // The captions were laid out for an 8-point face; a larger default font would cut them.
        QFont small = option->font();
        small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
        option->setFont(small);
        option->setToolTip(QStringLiteral(" Select to adjust %1 ").arg(QLatin1String(names[i])));
        // "H:" and "B:" say little when read aloud (and "B:" twice).
        option->setAccessibleName(QLatin1String(spoken[i]));
        connect(option, &QRadioButton::clicked, this, [this, i] {
            setCheckedOption(i);
            objOption_Click(i);
        });
        m_options[i] = option;
        auto *box = new FilteredBox(FilteredBox::Digits, 0, m_client);
        box->setGeometry(351, 109 + 25 * i, 30, 21);
        box->setToolTip(QStringLiteral(" Numerical value for %1 ").arg(QLatin1String(names[i])));
        box->setAccessibleName(QStringLiteral("%1 value").arg(QLatin1String(spoken[i])));
        connect(box, &QLineEdit::textChanged, this, [this, i](const QString &text) { takeTypedNumValue(i, text); });
        connect(box, &FilteredBox::lostFocus, this, [this, i] { txtNumValue_LostFocus(i); });
        m_boxes[i] = box;
    }
    m_hexBox = new FilteredBox(FilteredBox::HexDigits, 6, m_client);
    m_hexBox->setGeometry(336, 272, 56, 19);
    m_hexBox->setToolTip(QStringLiteral(" Hex (web) color value "));
    m_hexBox->setAccessibleName(QStringLiteral("Hex color value"));
    connect(m_hexBox, &QLineEdit::textChanged, this, [this](const QString &text) { takeTypedHexColor(text); });
    connect(m_hexBox, &FilteredBox::lostFocus, this, [this] { txtHexColor_LostFocus(); });

    const std::array<std::pair<QString, QRect>, 5> suffixes = {{
        {QStringLiteral("\u00B0"), QRect(385, 109, 14, 21)},
        {QStringLiteral("%"), QRect(385, 137, 14, 17)},
        {QStringLiteral("%"), QRect(385, 163, 14, 17)},
        {QString(), QRect()},
        {QStringLiteral("#"), QRect(320, 275, 13, 14)},
    }};
    for (int i = 0; i < 5; ++i) {
        if (suffixes[i].first.isEmpty())
            continue;
        auto *label = new QLabel(suffixes[i].first, m_client);
        label->setGeometry(suffixes[i].second);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_suffix[i] = label;
    }
    QFont degree = m_suffix[0]->font();
    degree.setPointSizeF(13.5);
    m_suffix[0]->setFont(degree);

    m_ok = new WinXPButton(m_client, this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->ReadProperties(dialogButtonDesign(QStringLiteral("OK")));
    m_cancel = new WinXPButton(m_client, this);
    m_cancel->setObjectName(QStringLiteral("CmdCancel"));
    m_cancel->ReadProperties(dialogButtonDesign(QStringLiteral("Cancel")));
    // The design keeps the buttons 40 pixels apart; load puts OK level with the field.
    m_ok->setGeometry(392, 31, 105, 33);
    m_cancel->setGeometry(392, 71, 105, 33);
    connect(m_ok, &WinXPButton::Click, this, &frmColorPicker::CmdOK_Click);
    connect(m_cancel, &WinXPButton::Click, this, &frmColorPicker::CmdCancel_Click);

    connect(m_field, &PictureBox::mouseDown, this, &frmColorPicker::picBigBox_MouseDown);
    connect(m_field, &PictureBox::mouseMoved, this, &frmColorPicker::picBigBox_MouseMove);
    connect(m_field, &PictureBox::mouseUp, this, &frmColorPicker::picBigBox_MouseUp);
    connect(m_strip, &PictureBox::mouseDown, this, &frmColorPicker::picThinBox_MouseDown);
    connect(m_strip, &PictureBox::mouseMoved, this, &frmColorPicker::picThinBox_MouseMove);
    connect(m_strip, &PictureBox::mouseUp, this, &frmColorPicker::picThinBox_MouseUp);
    connect(m_strip, &PictureBox::keyDown, this, &frmColorPicker::picThinBox_KeyDown);
    connect(m_margin, &MouseArea::mouseDown, this, &frmColorPicker::lblThinContainer_MouseDown);
    connect(m_margin, &MouseArea::mouseMoved, this, &frmColorPicker::lblThinContainer_MouseMove);
    connect(m_margin, &MouseArea::mouseUp, this, &frmColorPicker::lblThinContainer_MouseUp);
    connect(m_newSwatch, &Swatch::clicked, this, &frmColorPicker::lblNewColor_Click);
    connect(m_oldSwatch, &Swatch::clicked, this, &frmColorPicker::lblOldColor_Click);

    // The suffix labels are drag surfaces: their events go to the window's background.
    for (QLabel *label : m_suffix) {
        if (label)
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    setTabOrder(m_options[BlueMode], m_boxes[HueBox]);
    for (int i = 0; i < 5; ++i)
        setTabOrder(m_boxes[i], m_boxes[i + 1]);
    setTabOrder(m_boxes[BlueBox], m_hexBox);
    setTabOrder(m_hexBox, m_strip);
    setTabOrder(m_strip, m_field);
    setTabOrder(m_field, m_ok);
    setTabOrder(m_ok, m_cancel);
    m_buttons = new DialogButtons(this, m_ok, m_cancel);
}

frmColorPicker::~frmColorPicker()
{
    if (m_loaded)
        Form_QueryUnload();
}

QImage frmColorPicker::titleBand()
{
    return titleBandImage(0xEDEDED, 0xEDECEC);
}

QWidget *frmColorPicker::clientArea() const
{
    return m_client;
}

QLineEdit *frmColorPicker::txtNumValue(int index) const
{
    return m_boxes.at(index);
}

QLineEdit *frmColorPicker::txtHexColor() const
{
    return m_hexBox;
}

QString frmColorPicker::stateFilePath() const
{
    return picker::stateFilePath(QCoreApplication::applicationDirPath(), m_iniFileName);
}

QString frmColorPicker::ambientDisplayName(const WinXPButton *button) const
{
    return button->objectName();
}

QFont frmColorPicker::ambientFont() const
{
    return font();
}

bool frmColorPicker::ambientDisplayAsDefault(const WinXPButton *button) const
{
    return m_buttons->displaysAsDefault(button);
}

// --- The controls mirrored onto the widgets ------------------------------------------------------

void frmColorPicker::controlChanged(PickerControl control, int index)
{
    switch (control) {
    case PickerControl::NumValue:
        if (index <= BlueBox && m_boxes[index] && m_boxes[index]->text() != numValue(index)) {
            const QSignalBlocker block(m_boxes[index]);
            m_boxes[index]->setText(numValue(index));
        }
        break;
    case PickerControl::HexColor:
        if (m_hexBox && m_hexBox->text() != hexColor()) {
            const QSignalBlocker block(m_hexBox);
            m_hexBox->setText(hexColor());
        }
        break;
    case PickerControl::NewColor:
        if (m_newSwatch)
            m_newSwatch->setColor(newColor());
        break;
    case PickerControl::OldColor:
        if (m_oldSwatch)
            m_oldSwatch->setColor(oldColor());
        break;
    case PickerControl::Option:
        for (int i = 0; i < 6; ++i) {
            if (m_options[i]) {
                const QSignalBlocker block(m_options[i]);
                m_options[i]->setChecked(i == index);
            }
        }
        // No button checked: the exclusive group needs a moment without exclusivity.
        if (index < 0 || index > 5) {
            for (QRadioButton *option : m_options) {
                if (option) {
                    option->setAutoExclusive(false);
                    option->setChecked(false);
                    option->setAutoExclusive(true);
                }
            }
        }
        break;
    case PickerControl::Triangle:
        if (m_client)
            m_client->update(QRect(270, 0, 50, m_client->height()));
        break;
    case PickerControl::BigBox:
        // The field shows its finished picture; hiding it while painting would only flicker.
        if (m_field)
            m_field->update();
        break;
    case PickerControl::ThinBox:
        if (m_strip)
            m_strip->update();
        break;
    }
}

void frmColorPicker::paintEvent(QPaintEvent *)
{
    // The fixed dialog frame: a raised edge of two lines, light above and left, dark below and
    // right, then one line of the face colour.
    QPainter p(this);
    const QPalette &colours = palette();
    const QRect outer = rect();
    const auto edge = [&p](const QRect &r, const QColor &topLeft, const QColor &bottomRight) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    edge(outer, colours.color(QPalette::Midlight), colours.color(QPalette::Shadow));
    edge(outer.adjusted(1, 1, -1, -1), colours.color(QPalette::Light), colours.color(QPalette::Dark));
    const QColor face = colours.color(QPalette::Button);
    edge(outer.adjusted(2, 2, -2, -2), face, face);
}

void frmColorPicker::paintClient(QPainter &p)
{
    p.fillRect(m_client->rect(), QColor::fromRgb(kBackColor));
    p.drawImage(0, 0, m_band);
    // The frame around both swatches.
    p.setPen(Qt::black);
    p.drawRect(QRect(321, 32, 60, 68).adjusted(0, 0, -1, -1));
    // The slider triangles, each line as GDI draws it: whole pixels, without its end point, so a
    // triangle spans the 10 rows from row + 28 up to row + 38.
    for (int i = 0; i < kTriangleLineCount; ++i)
        drawWithoutEndPoint(p, triangleLine(i));
}

// --- Load and unload -----------------------------------------------------------------------------

void frmColorPicker::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor::fromRgb(kBackColor));
    setPalette(background);
    setOldColor(newColor());
    // OK level with the field, Cancel at its design distance below.
    const int d = m_cancel->y() - m_ok->y();
    m_ok->move(m_ok->x(), m_field->y());
    m_cancel->move(m_cancel->x(), m_field->y() + d);

    m_core.SplitlblNewColorToRGBboxes();
    m_core.RGBToHSL(newColor(), true);
    int savedMode = 0;
    ExecuteIniFile(savedMode);
    setCheckedOption(savedMode);
    objOption_Click(savedMode);
    // The checked mode button has the focus at opening, as its place in the tab order says, so
    // keys work before any click.
    if (savedMode >= 0 && savedMode < int(m_options.size()))
        m_options[savedMode]->setFocus(Qt::OtherFocusReason);
}

void frmColorPicker::ExecuteIniFile(int &selectedMode)
{
    const PickerStateRead read = readPickerState(stateFilePath());
    if (read.state.oldColor)
        setOldColor(*read.state.oldColor);
    m_paths = read.state.paths;
    if (!read.message.isEmpty()) {
        showMessage({read.message, {}, MessageIcon::None});
        return;
    }
    selectedMode = read.state.mode;
}

void frmColorPicker::Form_QueryUnload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const int selected = checkedOption();
    const int mode = selected >= 0 && selected <= kHighestStoredMode ? selected : kNoStoredMode;
    const QString error = writePickerState(stateFilePath(), newColor(), mode, m_paths);
    // The program goes on: the colour chosen matters more than the remembered state.
    if (!error.isEmpty())
        showMessage({error, {}, MessageIcon::Error});
}

// --- Mode switch, field, strip ------------------------------------------------------------------

void frmColorPicker::objOption_Click(int Index)
{
    m_core.selectMode(Index);
}

void frmColorPicker::picBigBox_MouseDown(int, float X, float Y)
{
    m_core.pressField(X, Y);
}

void frmColorPicker::picBigBox_MouseMove(int, float X, float Y)
{
    m_core.dragField(X, Y);
}

void frmColorPicker::picBigBox_MouseUp(int, float X, float Y)
{
    note(m_core.releaseField(X, Y));
}

void frmColorPicker::picThinBox_MouseDown(int, float, float Y)
{
    m_core.pressStrip(Y);
}

void frmColorPicker::picThinBox_MouseMove(int, float, float Y)
{
    m_core.dragStrip(Y);
}

void frmColorPicker::picThinBox_MouseUp(int, float, float)
{
    m_core.releaseStrip();
}

// The margin reports heights from its own top, which is the top of the strip's border: beside
// the strip it acts as the strip at the same height.
void frmColorPicker::lblThinContainer_MouseDown(int, float, float Y)
{
    m_core.pressStrip(Y - PictureBox::kBorder);
}

void frmColorPicker::lblThinContainer_MouseMove(int, float, float Y)
{
    m_core.dragStrip(Y - PictureBox::kBorder);
}

void frmColorPicker::lblThinContainer_MouseUp(int, float, float)
{
    m_core.releaseStrip();
}

void frmColorPicker::picThinBox_KeyDown(int KeyCode)
{
    note(m_core.stripKey(KeyCode));
}

// --- Boxes and swatches ----------------------------------------------------------------------------

void frmColorPicker::txtNumValue_LostFocus(int Index)
{
    applyBoxOnce([this, Index] { return m_core.applyBox(Index); });
}

void frmColorPicker::txtHexColor_LostFocus()
{
    applyBoxOnce([this] { return m_core.applyHexBox(); });
}

void frmColorPicker::applyBoxOnce(const std::function<QString()> &apply)
{
    // A message box taking the focus must not apply a box a second time.
    if (m_inLostFocus)
        return;
    m_inLostFocus = true;
    const QString message = apply();
    if (!message.isEmpty())
        showMessage({message, kTitle, MessageIcon::Error});
    m_inLostFocus = false;
}

void frmColorPicker::lblNewColor_Click()
{
    m_core.clickSwatch(SwatchClick::KeepNew);
}

void frmColorPicker::lblOldColor_Click()
{
    m_core.clickSwatch(SwatchClick::BackToOld);
}

void frmColorPicker::lblComplementaryColor_Click()
{
    const double hue = m_core.boxNumber(0).value_or(0.0);
    setNumValue(HueBox, QString::number(hue < 180 ? hue + 180 : hue - 180));
    txtNumValue_LostFocus(0);
}

// --- OK, Cancel, keys and moving -----------------------------------------------------------------

void frmColorPicker::applyFocusedBox()
{
    QWidget *focused = focusWidget();
    for (int i = 0; i < 6; ++i) {
        if (focused == m_boxes[i])
            txtNumValue_LostFocus(i);
    }
    if (focused == m_hexBox)
        txtHexColor_LostFocus();
}

void frmColorPicker::CmdOK_Click()
{
    applyFocusedBox();
    hide();
    QDialog::accept();
}

void frmColorPicker::CmdCancel_Click()
{
    setHexColor(QString());
    hide();
    QDialog::reject();
}

void frmColorPicker::reject()
{
    // Escape and the window system's close are Cancel.
    CmdCancel_Click();
}

void frmColorPicker::closeEvent(QCloseEvent *event)
{
    setHexColor(QString());
    QDialog::closeEvent(event);
}

void frmColorPicker::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_drag.pressed(event);
}

void frmColorPicker::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.moved(this, event);
}

} // namespace zimbrel::picker
