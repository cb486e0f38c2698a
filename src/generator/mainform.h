#pragma once
// The generator's only window: it shows a fresh password for five seconds and puts it on the
// clipboard, then the program ends.

#include "clipboard/clipboardhandoff.h"
#include "shared/placement.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <functional>

namespace zimbrel {

// The label that shows the password and is the window's drag surface.
class DisplayLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
    // A move of the mouse over the label, with the button state of the event.
    std::function<void(QMouseEvent *)> onMouseMove;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

class MainForm : public QWidget
{
    Q_OBJECT
public:
    // The client area in pixels, inside a one-pixel border; wider for a text that needs it.
    static constexpr QSize kClientSize{401, 29};
    static constexpr int kBorder = 1;
    static constexpr int kLifetimeMs = 5000;

    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    // The password, made and handed to the clipboard's helper before the window existed (see
    // main()): the load then shows it instead of making another.
    void usePrepared(const QString &password, ClipboardHandOff *handOff);

    // Reads settings.ini (the current folder's, the user's or the installed one) and makes a
    // password from it, as zimbrel-generator does (core/settingspassword.h).
    static QString makePassword();
    // Why the settings found give no password (see zimbrel::whyNoPassword()).
    static QString whyNoPassword();

    // Runs the whole job: read the settings, make the password, place and show the window, show
    // the password and put it on the clipboard.
    void Form_Load();

    // A copy of its own: the form wipes its password when the program ends.
    QString Password() const { return QString(m_password.constData(), m_password.size()); }
    CopyResult copyResult() const { return m_copyResult; }
    DisplayLabel *Display() const { return m_display; }
    QWidget *clientArea() const { return m_client; }
    QTimer &Timer1() { return m_timer; }

Q_SIGNALS:
    // The program is to end now (the timer ran out or the window was closed).
    void ended();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Display_MouseMove(QMouseEvent *event);
    void Timer1_Timer();
    void publishPassword();
    void showPassword();
    void setShownText(const QString &text);

    QWidget *m_client;
    DisplayLabel *m_display;
    QTimer m_timer;
    DragSurface m_drag;
    QString m_password;
    bool m_loaded = false;
    bool m_ended = false;
    std::optional<QString> m_prepared;
    ClipboardHandOff m_ownHandOff;
    ClipboardHandOff *m_handOff = &m_ownHandOff;
    CopyResult m_copyResult = CopyResult::NotCopied;
};

} // namespace zimbrel
