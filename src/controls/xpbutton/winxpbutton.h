#pragma once
// WinXPButton ("vexo.WinXPButton"): an owner-drawn push button in the look of Windows XP.
//
// The button draws itself into an image of its own whenever its state changes; painting only
// shows that image. It tells its form about input through events that are raised before the
// button acts on them, with arguments a handler may change (a connected slot gets references).
// What it needs of the form holding it (the name it was given, the form's font, whether it is
// shown as the default button, and a notice when a property changes) comes through
// ButtonContainer.

#include "buttonlook.h"
#include "propertybag.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace zimbrel {

class WinXPButton;

class ButtonContainer
{
public:
    ButtonContainer() = default;
    ButtonContainer(const ButtonContainer &) = delete;
    ButtonContainer &operator=(const ButtonContainer &) = delete;
    // A form's buttons outlive this part of it: QWidget's destructor, which runs later, hides the
    // form and so gives the focused button its focus-out. From here on the buttons treat the form
    // as gone instead of calling into a half-destroyed object.
    virtual ~ButtonContainer() { *m_alive = false; }
    std::shared_ptr<const bool> aliveFlag() const { return m_alive; }

    // The name the form gives a newly placed button (its first caption).
    virtual QString ambientDisplayName(const WinXPButton *button) const = 0;
    virtual QFont ambientFont() const = 0;
    // Whether the button is to show the blue rim of the default button now.
    virtual bool ambientDisplayAsDefault(const WinXPButton *button) const = 0;
    // A property changed under the given key (the form's design data is out of date).
    virtual void propertyChanged(WinXPButton *button, const QString &key) = 0;

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class WinXPButton : public QWidget
{
    Q_OBJECT
public:
    static constexpr char ProgID[] = "vexo.WinXPButton";

    explicit WinXPButton(QWidget *parent = nullptr, ButtonContainer *container = nullptr);
    ~WinXPButton() override;

    // Makes every WinXPButton known to assistive technology as a push button (done by the first
    // button made).
    static void installAccessibility();

    void setContainer(ButtonContainer *container)
    {
        m_container = container;
        m_containerAlive = container ? container->aliveFlag() : nullptr;
    }
    // The form holding the button; null once that form is being destroyed.
    ButtonContainer *container() const { return m_containerAlive && *m_containerAlive ? m_container : nullptr; }

    // Persistence.
    void InitProperties();
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // Properties. These names (Caption, Enabled, Font, MousePointer, ...) are the button's
    // documented surface, the ones forms and property bags know; the Qt widget underneath keeps
    // each value (Enabled in isEnabled(), Font in font(), MousePointer as the cursor), so a Qt name
    // answers the same as its property. Forms set them through these, not through Qt's setters.
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool Enabled() const { return m_enabled; }
    void setButtonEnabled(bool enabled);
    QFont Font() const { return font(); }
    void setButtonFont(const QFont &font);
    bool FontBold() const { return font().bold(); }
    void setFontBold(bool bold);
    bool FontItalic() const { return font().italic(); }
    void setFontItalic(bool italic);
    bool FontUnderline() const { return font().underline(); }
    void setFontUnderline(bool underline);
    qint16 FontSize() const;
    void setFontSize(double points);
    QString FontName() const { return font().family(); }
    void setFontName(const QString &name);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    QPixmap MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QPixmap &icon);
    PicturePtr PictureNormal() const { return m_pictureNormal; }
    void setPictureNormal(PicturePtr picture);
    PicturePtr PictureOver() const { return m_pictureOver; }
    void setPictureOver(PicturePtr picture);
    int PicturePosition() const { return m_picturePosition; }
    void setPicturePosition(int position);
    bool UseMaskColor() const { return m_useMaskColor; }
    void setUseMaskColor(bool use);
    bool UseGreyscale() const { return m_useGreyscale; }
    void setUseGreyscale(bool use);
    int SpecialEffect() const { return m_specialEffect; }
    void setSpecialEffect(int effect);
    quint32 TransparentColor() const { return m_transparentColor; }
    BgrColor TransparentRGB() const { return m_palette.TransparentRGB; }
    // The window handle of the button's surface.
    WId hWnd() const { return winId(); }

    // Methods.
    void DisableRefresh();
    void Refresh();

    // What the form calls: its access key or, for the default button, Enter; and a change of
    // its ambient properties (the default-button role moved).
    void AccessKeyPress(int keyAscii);
    void AmbientChanged(const QString &name);

    // State, for the form and for tests.
    bool IsMouseOver() const;
    bool isMouseOverFlag() const { return m_mouseIsOver; }
    bool hasFocusFlag() const { return m_hasFocus; }
    int lastState() const { return m_lastState; }
    int lastCaptionStyle() const { return m_lastCaptionStyle; }
    QString accessKey() const { return m_accessKey; }
    xp::CaptionRects captionRects() const { return m_captionRects; }
    xp::PictureLayout pictureLayout() const { return m_picture; }
    const QImage &surface() const { return m_surface; }
    bool overTimerActive() const { return m_overTimer.isActive(); }
    int redrawCount() const { return m_redraws; }

    // The window-system mouse buttons of the events, as button values: 1 left, 2 right, 4 middle.
    static short buttonValue(Qt::MouseButtons buttons);

Q_SIGNALS:
    void Click();
    void MouseDown(short &Button, short &Shift, float &X, float &Y);
    void MouseMove(short &Button, short &Shift, float &X, float &Y);
    void MouseUp(short &Button, short &Shift, float &X, float &Y);
    void KeyPress(short &KeyAscii);
    void KeyDown(short &KeyCode, short &Shift);
    void KeyUp(short &KeyCode, short &Shift);
    void MouseOver();
    void MouseOut();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

private:
    // The drawn image, at the widget's size and the screen's pixel density.
    void makeSurface();
    // The surface's notifications, as the button handles them.
    void UserControl_MouseDown(short Button, short Shift, float X, float Y);
    void UserControl_MouseMove(short Button, short Shift, float X, float Y);
    void UserControl_MouseUp(short Button, short Shift, float X, float Y);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_KeyDown(short KeyCode, short Shift);
    void UserControl_KeyUp(short KeyCode, short Shift);
    void OverTimer_Timer();

    void DrawButton(int state, bool force);
    void InitColors();
    void CalcCaptionRect();
    void CalcPictureSize();
    void SetAccessKeys();
    void markChanged(const char *key);
    // A new font: the caption is laid out again and the button redrawn.
    void applyFont(const QFont &newFont);
    void refreshSurface();

    ButtonContainer *m_container = nullptr;
    std::shared_ptr<const bool> m_containerAlive;

    QString m_caption;
    bool m_enabled = true;
    int m_mousePointer = 0;
    QPixmap m_mouseIcon;
    int m_picturePosition = 0;
    bool m_useMaskColor = false;
    bool m_useGreyscale = false;
    int m_specialEffect = 0;
    quint32 m_transparentColor = 0; // an OLE colour
    xp::ButtonPalette m_palette;
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
    xp::CaptionRects m_captionRects;
    PicturePtr m_pictureNormal;
    PicturePtr m_pictureOver;
    xp::PictureLayout m_picture;
    int m_lastState = 0;
    QString m_lastCaption;
    int m_lastCaptionStyle = 0;
    bool m_redrawEnabled = true;
    bool m_mouseIsOver = false;
    bool m_hasFocus = false;
    int m_lastButton = 0;
    int m_lastKey = 0;

    QString m_accessKey;
    int m_shortcutId = 0;
    bool m_afterDoubleClick = false;
    QImage m_surface;
    QTimer m_overTimer;
    int m_redraws = 0;
};

} // namespace zimbrel
