#pragma once
// The picker dialog's own small widgets: the field and strip boxes with their sunken border, the
// strip's margin, the swatches, the number and hex boxes, and the client area the dialog frames.
// Each turns Qt's events into the picker's terms (Windows button values and key codes, pixel
// positions as single-precision values) and leaves the rest to the dialog.

#include "settings/colorpicker/pixelcanvas.h"
#include "settings/colorpicker/pickercontrols.h"

#include <QCursor>
#include <QLineEdit>
#include <QWidget>

#include <functional>

namespace zimbrel::picker {

// The colour field or the slider strip: a sunken two-pixel border around the drawing. Mouse
// positions are reported in pixels of the drawing, floored.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kBorder = 2;
    PictureBox(const PixelCanvas &canvas, QWidget *parent);

Q_SIGNALS:
    void mouseDown(int button, float x, float y);
    void mouseMoved(int buttons, float x, float y);
    void mouseUp(int button, float x, float y);
    void keyDown(int keyCode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    const PixelCanvas &m_canvas;
};

// A transparent area that reports mouse positions in its own pixels (the strip's margin).
class MouseArea : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

Q_SIGNALS:
    void mouseDown(int button, float x, float y);
    void mouseMoved(int buttons, float x, float y);
    void mouseUp(int button, float x, float y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A colour swatch that can be clicked.
class Swatch : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setColor(BgrColor color);
    BgrColor color() const { return m_color; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    BgrColor m_color = kDesignNewColor;
};

// A box that takes only some typed characters: decimal digits, or hex digits (in upper case).
class FilteredBox : public QLineEdit
{
    Q_OBJECT
public:
    enum Kind { Digits, HexDigits };
    FilteredBox(Kind kind, int limit, QWidget *parent);

Q_SIGNALS:
    // The box lost the focus to another control of the window (not to another window).
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    Kind m_kind;
    int m_limit;
};

// The dialog's client area: every control lies on it; the dialog draws its frame around it. Mouse
// events it does not take go on to the dialog (a drag by the background).
class ClientArea : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<void(QPainter &)> paint;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The colour field's cursor: a hollow ring around the hot spot.
QCursor ringCursor();

} // namespace zimbrel::picker
