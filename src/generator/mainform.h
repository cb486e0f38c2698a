#pragma once
// The generator's only window: it shows a fresh password for five seconds and puts it on the
// clipboard, then the program ends.

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
    // The client area in pixels, inside a one-pixel border.
    static constexpr QSize kClientSize{401, 29};
    static constexpr int kBorder = 1;
    static constexpr int kLifetimeMs = 5000;

    explicit MainForm(QWidget *parent = nullptr);

    // Runs the whole job: place and show the window, read the settings, make the password, show
    // it and put it on the clipboard.
    void Form_Load();

    const QString &password() const { return Password; }
    DisplayLabel *display() const { return Display; }
    QWidget *clientArea() const { return m_client; }
    QTimer &timer() { return Timer1; }

Q_SIGNALS:
    // The program is to end now (the timer ran out or the window was closed).
    void ended();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Display_MouseMove(QMouseEvent *event);
    void Timer1_Timer();
    void publishPassword();

    QWidget *m_client;
    DisplayLabel *Display;
    QTimer Timer1;
    DragSurface m_drag;
    QString Candidates;
    QString Password;
    bool m_loaded = false;
    bool m_ended = false;
    bool m_republishOnActivation = false;
};

} // namespace zimbrel
