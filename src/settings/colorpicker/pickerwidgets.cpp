#include "pickerwidgets.h"

#include "controls/xpbutton/winxpbutton.h"
#include "platform/winkeys.h"

#include <QKeyEvent>
#include <QPainter>
#include <QValidator>

#include <algorithm>

namespace zimbrel::picker {
namespace {

// The position of a mouse event, in the control's pixels, as single-precision values.
float posX(const QMouseEvent *e, int border = 0)
{
    return float(e->position().x() - border);
}
float posY(const QMouseEvent *e, int border = 0)
{
    return float(e->position().y() - border);
}

int buttonValue(Qt::MouseButtons buttons)
{
    return WinXPButton::buttonValue(buttons);
}

} // namespace

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

void Swatch::setColor(BgrColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_color));
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

void ClientArea::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (paint)
        paint(p);
}

QCursor ringCursor()
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

} // namespace zimbrel::picker
