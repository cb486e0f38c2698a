#include "frmcolorpicker.h"

#include "platform/gdicanvas.h"
#include "platform/messagebox.h"
#include "platform/numerics.h"
#include "platform/winkeys.h"
#include "settings/colorpicker/pickerstate.h"
#include "shared/placement.h"
#include "shared/titleband.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QValidator>

#include <algorithm>
#include <cmath>

namespace zimbrel::picker {
namespace {

constexpr QRgb kBackColor = 0xFFD7D9DD; // RGB(215, 217, 221)

constexpr std::array<QRgb, 29> kBandRows = {
    0xEDEDED, 0xEDECEC, 0xDADCDF, 0xD4D6DA, 0xCFD1D5, 0xCACDD1, 0xBAC1CA, 0xBAC1CA, 0xBAC2CB, 0xBCC4CC,
    0xBFC6CE, 0xC3C9D1, 0xC3C9D1, 0xC7CCD3, 0xCBD0D6, 0xCFD3D9, 0xD3D7DC, 0xD7DADF, 0xD7DADF, 0xDADDE1,
    0xDDE0E4, 0xE1E3E7, 0xE5E8ED, 0xE5E8ED, 0xE8EBF2, 0xE9EEF6, 0xE9EEF7, 0xACAFB7, 0xD0D4DD,
};

constexpr char kButtonDesign[] = "TX = \"%1\"\nENAB = -1 'True\nFONT = font(\"MS Sans Serif\", 8.25, 0, 0, 0)\n"
                                 "MPTR = 0\nMICON = Nothing\nUMCOL = -1 'True\nPICPOS = 0\nNGREY = 0 'False\nFX = 3\n";

const QString kTitle = QStringLiteral("Color Picker");
const QString kHueMessage = QStringLiteral("An integer between 0 and 360 i required. Closest value inserted!");
const QString kPercentMessage = QStringLiteral("An number between 0 and 100 i required. Closest value inserted!");

// The position of a mouse event, in the control's pixels, as single-precision values.
float posX(const QMouseEvent *e, int border = 0) { return float(e->position().x() - border); }
float posY(const QMouseEvent *e, int border = 0) { return float(e->position().y() - border); }

int buttonValue(Qt::MouseButtons buttons)
{
    return WinXPButton::buttonValue(buttons);
}

// Field and strip positions are whole pixels of the drawing, floored, within 0..255.
float clampPixel(float v)
{
    return std::clamp(std::floor(v), 0.0f, 255.0f);
}

} // namespace

// --- Small controls ------------------------------------------------------------------------------

PictureBox::PictureBox(const PixelCanvas &canvas, QWidget *parent)
    : QWidget(parent)
    , m_canvas(canvas)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // A sunken frame: dark outside top and left, light outside bottom and right.
    const QRect r = rect();
    p.fillRect(r, QColor(0xD7, 0xD9, 0xDD));
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(Qt::white);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    p.drawImage(kBorder, kBorder, m_canvas.image());
}

void PictureBox::mousePressEvent(QMouseEvent *e)
{
    Q_EMIT mouseDown(buttonValue(e->button()), posX(e, kBorder), posY(e, kBorder));
}

void PictureBox::mouseMoveEvent(QMouseEvent *e)
{
    Q_EMIT mouseMoved(buttonValue(e->buttons()), posX(e, kBorder), posY(e, kBorder));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    Q_EMIT mouseUp(buttonValue(e->button()), posX(e, kBorder), posY(e, kBorder));
}

void PictureBox::keyPressEvent(QKeyEvent *e)
{
    const int code = windowsKeyCode(e->key(), e->modifiers());
    // Enter and Escape are the dialog's (its default and cancel buttons).
    if (code == vk::Return || code == vk::Escape) {
        e->ignore();
        return;
    }
    Q_EMIT keyDown(code);
}

void MouseArea::mousePressEvent(QMouseEvent *e)
{
    Q_EMIT mouseDown(buttonValue(e->button()), posX(e), posY(e));
}

void MouseArea::mouseMoveEvent(QMouseEvent *e)
{
    Q_EMIT mouseMoved(buttonValue(e->buttons()), posX(e), posY(e));
}

void MouseArea::mouseReleaseEvent(QMouseEvent *e)
{
    Q_EMIT mouseUp(buttonValue(e->button()), posX(e), posY(e));
}

void Swatch::setColor(ColorValue color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(PixelCanvas::toArgb(m_color)));
}

void Swatch::mousePressEvent(QMouseEvent *e)
{
    e->accept();
}

void Swatch::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
}

namespace {

void drawWithoutEndPoint(QPainter &painter, const QLineF &line)
{
    GdiCanvas::forEachLinePoint(int(roundHalfEven(line.x1())), int(roundHalfEven(line.y1())),
                                int(roundHalfEven(line.x2())), int(roundHalfEven(line.y2())),
                                [&painter](int x, int y) { painter.drawPoint(x, y); });
}

// What typing would make of any other way text enters the hex box: of the text that came in, its
// hex digits in upper case, as many as the box has room for; the rest of the box stays as it was.
class HexDigitsValidator : public QValidator
{
public:
    HexDigitsValidator(int limit, QLineEdit *box)
        : QValidator(box)
        , m_limit(limit)
    {
        connect(box, &QLineEdit::textChanged, this, [this](const QString &text) { m_accepted = text; });
    }

    State validate(QString &input, int &pos) const override
    {
        const QString &old = m_accepted;
        // The cursor stands right after what came in, and what follows it was there before.
        qsizetype suffix = input.size() - pos;
        if (suffix < 0 || suffix > old.size() || input.right(suffix) != old.right(suffix))
            suffix = 0;
        qsizetype prefix = 0;
        const qsizetype prefixLimit = std::min(input.size() - suffix, old.size() - suffix);
        while (prefix < prefixLimit && old.at(prefix) == input.at(prefix))
            ++prefix;
        const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
        QString kept;
        for (QChar c : inserted) {
            const QChar upper = c.toUpper();
            if ((upper >= u'0' && upper <= u'9') || (upper >= u'A' && upper <= u'F'))
                kept += upper;
        }
        const qsizetype remaining = prefix + suffix;
        if (m_limit > 0)
            kept.truncate(std::max<qsizetype>(0, m_limit - remaining));
        input = old.left(prefix) + kept + old.right(suffix);
        pos = int(prefix + kept.size());
        return Acceptable;
    }

private:
    int m_limit;
    QString m_accepted;
};

} // namespace

FilteredBox::FilteredBox(Kind kind, int limit, QWidget *parent)
    : QLineEdit(parent)
    , m_kind(kind)
    , m_limit(limit)
{
    // Text that comes in other than by typing (Shift+Insert, the context menu, a middle click, a
    // drop) goes through the same filter as typing: the hex box keeps its hex digits, in upper
    // case, and at most its limit of them. A validator sees every such change before the box
    // takes it, so the text is never wrong in between.
    if (kind == HexDigits)
        setValidator(new HexDigitsValidator(limit, this));
}

void FilteredBox::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        e->ignore();
        return;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || e->key() == Qt::Key_Delete) {
        // Keys without a character (arrows, Home, End, Delete) edit as usual.
        QLineEdit::keyPressEvent(e);
        return;
    }
    // Every typed character but the box's own kind is dropped: backspace, minus, point and the
    // control characters of cut, copy and paste included.
    QChar c = text.at(0);
    if (m_kind == HexDigits && c >= u'a' && c <= u'f')
        c = c.toUpper();
    const bool wanted = (c >= u'0' && c <= u'9') || (m_kind == HexDigits && c >= u'A' && c <= u'F');
    if (!wanted || e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return;
    if (m_limit > 0 && this->text().size() - selectedText().size() >= m_limit)
        return;
    insert(QString(c));
}

void FilteredBox::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    switch (e->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        Q_EMIT lostFocus();
    }
}

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
    m_field = new PictureBox(m_core.picBigBox, m_client);
    m_field->setGeometry(13, 31, 260, 260);
    m_field->setCursor(ringCursor());
    m_strip = new PictureBox(m_core.picThinBox, m_client);
    m_strip->setGeometry(284, 31, 19 + 2 * PictureBox::kBorder, 256 + 2 * PictureBox::kBorder);
    m_margin->setGeometry(m_strip->x() - 10, m_strip->y(), m_strip->width() + 20, m_strip->height());

    m_newSwatch = new Swatch(m_client);
    m_newSwatch->setGeometry(322, 33, 58, 33);
    m_oldSwatch = new Swatch(m_client);
    m_oldSwatch->setGeometry(322, 66, 58, 33);

    const char *captions[] = {"H:", "S:", "B:", "R:", "G:", "B:"};
    const char *names[] = {"hue", "saturation", "brightness", "red", "green", "blue"};
    for (int i = 0; i < 6; ++i) {
        auto *option = new QRadioButton(QString::fromLatin1(captions[i]), m_client);
        option->setGeometry(320, 111 + 25 * i, 33, 17);
        // The captions were laid out for an 8-point face; a larger default font would cut them.
        QFont small = option->font();
        small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
        option->setFont(small);
        option->setToolTip(QStringLiteral(" Select to adjust %1 ").arg(QLatin1String(names[i])));
        connect(option, &QRadioButton::clicked, this, [this, i] {
            setCheckedOption(i);
            objOption_Click(i);
        });
        m_options[i] = option;
        auto *box = new FilteredBox(FilteredBox::Digits, 0, m_client);
        box->setGeometry(351, 109 + 25 * i, 30, 21);
        box->setToolTip(QStringLiteral(" Numerical value for %1 ").arg(QLatin1String(names[i])));
        connect(box, &QLineEdit::textChanged, this, [this, i](const QString &text) { takeTypedNumValue(i, text); });
        connect(box, &FilteredBox::lostFocus, this, [this, i] { txtNumValue_LostFocus(i); });
        m_boxes[i] = box;
    }
    m_hexBox = new FilteredBox(FilteredBox::HexDigits, 6, m_client);
    m_hexBox->setGeometry(336, 272, 56, 19);
    m_hexBox->setToolTip(QStringLiteral(" Hex (web) color value "));
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
    m_ok->ReadProperties(PropertyBag::fromText(QString::fromLatin1(kButtonDesign).arg(QStringLiteral("OK"))));
    m_cancel = new WinXPButton(m_client, this);
    m_cancel->ReadProperties(PropertyBag::fromText(QString::fromLatin1(kButtonDesign).arg(QStringLiteral("Cancel"))));
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

    setTabOrder(m_options[5], m_boxes[0]);
    for (int i = 0; i < 5; ++i)
        setTabOrder(m_boxes[i], m_boxes[i + 1]);
    setTabOrder(m_boxes[5], m_hexBox);
    setTabOrder(m_hexBox, m_strip);
    setTabOrder(m_strip, m_field);
    setTabOrder(m_field, m_ok);
    setTabOrder(m_ok, m_cancel);
    // The default button's rim follows the focus.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this] { m_ok->AmbientChanged(QStringLiteral("DisplayAsDefault")); });
}

frmColorPicker::~frmColorPicker()
{
    disconnect(m_focusWatch);
    if (m_loaded)
        Form_QueryUnload();
}

QImage frmColorPicker::titleBand()
{
    return titleBandImage(kBandRows);
}

QCursor frmColorPicker::ringCursor()
{
    // A hollow ring about 13 pixels across around the hot spot (7, 7): black outside, white inside.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    p.drawEllipse(QPoint(7, 7), 6, 6);
    p.setPen(Qt::white);
    p.drawEllipse(QPoint(7, 7), 5, 5);
    p.end();
    return QCursor(pixmap, 7, 7);
}

QString frmColorPicker::stateFilePath() const
{
    return picker::stateFilePath(QCoreApplication::applicationDirPath(), INIFileName);
}

QString frmColorPicker::ambientDisplayName(const WinXPButton *button) const
{
    return button == m_ok ? QStringLiteral("CmdOK") : QStringLiteral("CmdCancel");
}

QFont frmColorPicker::ambientFont() const
{
    return font();
}

bool frmColorPicker::ambientDisplayAsDefault(const WinXPButton *button) const
{
    return WinXPButton::displaysAsDefault(button, m_ok);
}

// --- The controls mirrored onto the widgets ------------------------------------------------------

void frmColorPicker::controlChanged(PickerControl control, int index)
{
    switch (control) {
    case PickerControl::NumValue:
        if (index < 6 && m_boxes[index] && m_boxes[index]->text() != numValue(index)) {
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

void frmColorPicker::ExecuteIniFile(int &bteValdRadioKnapp)
{
    const PickerStateRead read = readPickerState(stateFilePath());
    if (read.state.oldColor)
        setOldColor(*read.state.oldColor);
    mStrPaths = read.state.paths;
    if (!read.message.isEmpty()) {
        showMessage({read.message, {}, MessageIcon::None});
        return;
    }
    bteValdRadioKnapp = read.state.mode;
}

void frmColorPicker::Form_QueryUnload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const int selected = checkedOption();
    const int mode = selected >= 0 && selected <= 8 ? selected : 9;
    const QString error = writePickerState(stateFilePath(), newColor(), mode, mStrPaths);
    // The program goes on: the colour chosen matters more than the remembered state.
    if (!error.isEmpty())
        showMessage({error, {}, MessageIcon::Error});
}

// --- Mode switch ---------------------------------------------------------------------------------

void frmColorPicker::objOption_Click(int Index)
{
    const double red = boxValue(3);
    const double green = boxValue(4);
    const double blue = boxValue(5);
    switch (Index) {
    case HueMode:
        m_core.PaintPicThinBox(0);
        m_core.mIntMarkerX = qint16(m_core.mBteSaturation);
        m_core.mIntMarkerY = qint16(255 - m_core.mBteLuminance);
        break;
    case SaturationMode:
        m_core.PaintPicThinBox(1);
        m_core.mIntMarkerX = qint16(wholeNumber(m_core.mIntSystemColorAngle / 6.0));
        m_core.mIntMarkerY = qint16(255 - m_core.mBteLuminance);
        break;
    case BrightnessMode:
        m_core.PaintPicThinBox(2);
        m_core.mIntMarkerX = qint16(wholeNumber(m_core.mIntSystemColorAngle / 6.0));
        m_core.mIntMarkerY = qint16(255 - m_core.mBteSaturation);
        break;
    case RedMode:
        m_core.opt3RedPaintPicThinBox(green, blue);
        m_core.mIntMarkerX = qint16(wholeNumber(blue));
        m_core.mIntMarkerY = qint16(wholeNumber(255 - green));
        break;
    case GreenMode:
        m_core.opt4GreenPaintPicThinBox(red, blue);
        m_core.mIntMarkerX = qint16(wholeNumber(blue));
        m_core.mIntMarkerY = qint16(wholeNumber(255 - red));
        break;
    case BlueMode:
        m_core.opt5BluePaintPicThinBox(red, green);
        m_core.mIntMarkerX = qint16(wholeNumber(red));
        m_core.mIntMarkerY = qint16(wholeNumber(255 - green));
        break;
    default:
        break;
    }
    m_core.picBigBox_Colorize();
    m_core.PositionArrows();
    m_strip->update();
}

// --- Colour field --------------------------------------------------------------------------------

void frmColorPicker::applyFieldPoint(float x, float y)
{
    switch (mode()) {
    case HueMode:
        m_core.HSLToRGB(m_core.mIntSystemColorAngle, wholeNumber(x), wholeNumber(255 - y), true);
        break;
    case SaturationMode:
        m_core.HSLToRGB(wholeNumber(x * 6.0), m_core.mBteSaturation, wholeNumber(255 - y), true);
        break;
    case BrightnessMode:
        m_core.HSLToRGB(wholeNumber(x * 6.0), wholeNumber(255 - y), m_core.mBteLuminance, true);
        break;
    case RedMode:
        m_core.BigBoxOpt3Reaction(int(x), int(y));
        break;
    case GreenMode:
        m_core.BigBoxOpt4Reaction(int(x), int(y));
        break;
    case BlueMode:
        m_core.BigBoxOpt5Reaction(int(x), int(y));
        break;
    default:
        break;
    }
}

void frmColorPicker::picBigBox_MouseDown(int, float X, float Y)
{
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    mBlnMouseDown = true;
    if (m_core.mBlnMarkerShown)
        m_core.EraseMarker();
    if (mode() == BrightnessMode)
        m_core.picThinBox.fill(m_core.HSLToRGB(wholeNumber(x * 6.0), wholeNumber(255 - y), 255, false));
    applyFieldPoint(x, y);
    if (mode() == SaturationMode)
        m_core.FadeThinBoxToGrey();
    else if (mode() == BrightnessMode)
        m_core.FadeThinBoxToBlack();
    m_core.mIntMarkerX = qint16(wholeNumber(x));
    m_core.mIntMarkerY = qint16(wholeNumber(y));
    m_core.SampleMarkerBackground();
    m_core.mBlnMarkerShown = true;
}

void frmColorPicker::picBigBox_MouseMove(int, float X, float Y)
{
    if (!mBlnMouseDown)
        return;
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    applyFieldPoint(x, y);
    if (mode() == SaturationMode || mode() == BrightnessMode)
        m_core.PaintPicThinBox(mode());
}

void frmColorPicker::picBigBox_MouseUp(int, float X, float Y)
{
    if (!m_core.mBlnBigBoxReady) {
        // The drag ends all the same, so the field does not follow the mouse afterwards.
        mBlnMouseDown = false;
        showMessage({QStringLiteral("mBlnBigBoxReady = False!"), {}, MessageIcon::None});
        return;
    }
    mBlnMouseDown = false;
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    m_core.mIntMarkerX = qint16(wholeNumber(x));
    m_core.mIntMarkerY = qint16(wholeNumber(y));
    m_core.SampleMarkerBackground();
    m_core.PaintMarker(int(x), int(y));
}

// --- Slider strip --------------------------------------------------------------------------------

void frmColorPicker::applyStripRow(float row)
{
    const float r = std::clamp(row, 0.0f, 255.0f);
    m_core.MoveArrows(r);
    switch (mode()) {
    case HueMode:
        m_core.HSLToRGB(wholeNumber((255.0 - r) * 6.0), m_core.mBteSaturation, m_core.mBteLuminance, true);
        break;
    case SaturationMode:
        m_core.HSLToRGB(m_core.mIntSystemColorAngle, wholeNumber(255.0 - r), m_core.mBteLuminance, true);
        break;
    case BrightnessMode:
        m_core.HSLToRGB(m_core.mIntSystemColorAngle, m_core.mBteSaturation, wholeNumber(255.0 - r), true);
        break;
    case RedMode:
    case GreenMode:
    case BlueMode: {
        setNumValue(mode(), singleToText(255.0f - r));
        const ColorValue color = composeRgb(wholeNumber(boxValue(3)), wholeNumber(boxValue(4)), wholeNumber(boxValue(5)));
        m_core.RGBToHSL(color, true);
        setNewColor(color);
        break;
    }
    default:
        break;
    }
}

void frmColorPicker::picThinBox_MouseDown(int Button, float X, float Y)
{
    mBlnMouseDown = true;
    picThinBox_MouseMove(Button, X, Y);
}

void frmColorPicker::picThinBox_MouseMove(int, float, float Y)
{
    if (mBlnMouseDown)
        applyStripRow(std::floor(Y));
}

void frmColorPicker::picThinBox_MouseUp(int, float, float)
{
    mBlnMouseDown = false;
    m_core.picBigBox_Colorize();
}

// The margin reports heights from its own top, which is the top of the strip's border: beside
// the strip it acts as the strip at the same height.
void frmColorPicker::lblThinContainer_MouseDown(int Button, float X, float Y)
{
    mBlnMouseDown = true;
    picThinBox_MouseMove(Button, X, Y - PictureBox::kBorder);
}

void frmColorPicker::lblThinContainer_MouseMove(int Button, float X, float Y)
{
    picThinBox_MouseMove(Button, X, Y - PictureBox::kBorder);
}

void frmColorPicker::lblThinContainer_MouseUp(int Button, float X, float Y)
{
    picThinBox_MouseUp(Button, X, Y);
}

void frmColorPicker::picThinBox_KeyDown(int KeyCode)
{
    switch (mode()) {
    case HueMode:
        if (KeyCode == 38) {
            m_core.NudgeHueValue(1);
            m_core.picBigBox_Colorize();
        } else if (KeyCode == 40) {
            m_core.NudgeHueValue(-1);
            m_core.picBigBox_Colorize();
        }
        break;
    case SaturationMode:
        showMessage({QStringLiteral("Add code for radio1!"), {}, MessageIcon::None});
        break;
    case BrightnessMode:
        showMessage({QStringLiteral("Add code for radio2!"), {}, MessageIcon::None});
        break;
    default:
        break;
    }
}

// --- Boxes ---------------------------------------------------------------------------------------

double frmColorPicker::boxValue(int index) const
{
    return m_core.boxNumber(index).value_or(0.0);
}

void frmColorPicker::boxError(const QString &text)
{
    showMessage({text, kTitle, MessageIcon::Error});
}

void frmColorPicker::txtNumValue_LostFocus(int Index)
{
    if (m_inLostFocus)
        return;
    m_inLostFocus = true;
    m_core.mBlnBigBoxReady = false;
    m_core.mBlnMarkerShown = false;

    // What the box holds as a number; an empty box counts as 0, other text by its leading number.
    const QString text = numValue(Index);
    const std::optional<double> parsed = m_core.boxNumber(Index);
    const bool isNumber = parsed.has_value();
    double number = parsed.value_or(leadingNumber(text));

    if (Index == 0) {
        if (number > 360 || number < 0 || !isNumber) {
            number = std::clamp(number, 0.0, 360.0);
            boxError(kHueMessage);
            setNumValue(0, QString::number(wholeNumber(number)));
        }
        if (numValue(0) != QString::number(wholeNumber(number))) {
            boxError(kHueMessage);
            setNumValue(0, QString::number(wholeNumber(number)));
        }
        m_core.HSLToRGB(wholeNumber(number / 360.0 * 1530.0), m_core.mBteSaturation, m_core.mBteLuminance, true);
    } else if (Index == 1 || Index == 2) {
        if (number > 100 || number < 0 || !isNumber) {
            number = std::clamp(number, 0.0, 100.0);
            boxError(kPercentMessage);
            setNumValue(Index, QString::number(wholeNumber(number)));
        }
        const int value = wholeNumber(number / 100.0 * 255.0);
        if (Index == 1)
            m_core.HSLToRGB(m_core.mIntSystemColorAngle, value, m_core.mBteLuminance, true);
        else
            m_core.HSLToRGB(m_core.mIntSystemColorAngle, m_core.mBteSaturation, value, true);
    } else {
        // Red, green, blue: no range message. A number too big to be a channel, or no number,
        // is put right in the box so that the composed colour never overflows.
        for (int i = 3; i <= 5; ++i) {
            const std::optional<double> channel = m_core.boxNumber(i);
            if (!channel || *channel > 32767 || *channel < 0)
                setNumValue(i, QString::number(channel && *channel > 32767 ? 255 : 0));
        }
        const ColorValue color = composeRgb(wholeNumber(boxValue(3)), wholeNumber(boxValue(4)), wholeNumber(boxValue(5)));
        m_core.RGBToHSL(color, true);
        setNewColor(color);
    }
    // The strip, the ring and the triangles follow the new colour as a mode switch places them.
    objOption_Click(mode());
    m_inLostFocus = false;
}

void frmColorPicker::txtHexColor_LostFocus()
{
    const QString s = hexColor();
    if (s.isEmpty()) {
        // Nothing to apply: show the colour's hex text again.
        const ColorValue c = newColor();
        setHexColor(hexText(redOf(c), greenOf(c), blueOf(c)));
        return;
    }
    const QString t = s.mid(4) + s.mid(2, 2) + s.mid(0, 2);
    // The hex digits at its start, as a number (the box takes nothing else when typed into).
    ColorValue value = 0;
    for (QChar c : t) {
        const char16_t u = c.toUpper().unicode();
        const int digit = u >= u'0' && u <= u'9' ? u - u'0' : u >= u'A' && u <= u'F' ? u - u'A' + 10 : -1;
        if (digit < 0)
            break;
        value = value * 16 + ColorValue(digit);
    }
    setNewColor(value & 0x00FFFFFFu);
    m_core.SplitlblNewColorToRGBboxes();
    txtNumValue_LostFocus(3);
}

// --- Swatches ------------------------------------------------------------------------------------

void frmColorPicker::lblNewColor_Click()
{
    setOldColor(newColor());
    m_core.mBlnBigBoxReady = false;
    m_core.mBlnMarkerShown = false;
    m_core.SplitlblNewColorToRGBboxes();
    m_core.RGBToHSL(newColor(), true);
    objOption_Click(mode());
}

void frmColorPicker::lblOldColor_Click()
{
    setNewColor(oldColor());
    m_core.mBlnBigBoxReady = false;
    m_core.mBlnMarkerShown = false;
    m_core.SplitlblNewColorToRGBboxes();
    m_core.RGBToHSL(newColor(), true);
    objOption_Click(mode());
}

void frmColorPicker::lblComplementaryColor_Click()
{
    const double hue = boxValue(0);
    setNumValue(0, QString::number(hue < 180 ? hue + 180 : hue - 180));
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

void frmColorPicker::keyPressEvent(QKeyEvent *event)
{
    if (!WinXPButton::handleDialogKey(event, m_ok, m_cancel))
        QDialog::keyPressEvent(event);
}

void ClientArea::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (paint)
        paint(p);
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
