#include "mainform.h"

#include "generator/sf.h"
#include "platform/clipboard.h"
#include "shared/appicon.h"
#include "shared/placement.h"
#include "shared/settingsfile.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace zimbrel {
namespace {

// Fixedsys is not found on Linux desktops; these are the nearest fixed-pitch faces, in order.
QFont displayFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Fixedsys Excelsior 3.01"), QStringLiteral("Fixedsys"),
                      QStringLiteral("Terminus"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Liberation Mono"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

constexpr int kLabelOffset = 8; // 120 twips

} // namespace

void DisplayLabel::mousePressEvent(QMouseEvent *event)
{
    // Taking the press keeps the following moves coming here.
    event->accept();
    if (onMouseMove)
        onMouseMove(event);
}

void DisplayLabel::mouseMoveEvent(QMouseEvent *event)
{
    if (onMouseMove)
        onMouseMove(event);
}

MainForm::MainForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // Not drawn (there is no title bar); taskbars and window lists show it.
    setWindowTitle(QStringLiteral("zimbrel-generator"));
    setWindowIcon(appIcon());
    setFixedSize(kClientSize + QSize(2 * kBorder, 2 * kBorder));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_client = new QWidget(this);
    m_client->setGeometry(QRect(QPoint(kBorder, kBorder), kClientSize));

    Display = new DisplayLabel(m_client);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setTextFormat(Qt::PlainText);
    Display->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Display->setFont(displayFont());
    Display->setToolTip(QStringLiteral(" Get this password from clipboard. "));
    Display->move(kLabelOffset, kLabelOffset);
    Display->onMouseMove = [this](QMouseEvent *event) { Display_MouseMove(event); };

    Timer1.setInterval(kLifetimeMs);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &MainForm::Timer1_Timer);
}

void MainForm::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Timer1.start();

    reseedRandom();
    RestorePosition(this);
    show();

    // An unreadable file leaves the line list unassigned, which the engine treats like no file.
    std::optional<QStringList> lines;
    const FileText file = ReadFileText(QString::fromLatin1(kSettingsFileName), 2);
    if (!file.failed())
        lines = splitOnCrLf(file.text);

    Display->resize(m_client->size());
    reseedRandom();
    Password.clear();
    qint16 count = kCandidateCount;
    Candidates = RandomString(count, AnyAnsiCharacter);
    Password = SelectPassword(Candidates, lines, [] { return CandidateRoundFrom(); });
    ApplyReplacements(Password);

    Display->setText(QStringLiteral("Your password: ") + Password);
    publishPassword();
}

void MainForm::publishPassword()
{
    clearClipboard();
    setSecretClipboardText(Password);
    // On X11 the clipboard dies with its owner; a helper takes it over now, so the password stays
    // pasteable however the program ends. Wayland compositors take the clipboard only from the
    // focused window, so there it is offered again once the window is activated.
    if (!startClipboardKeeper(Password))
        m_republishOnActivation = QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

void MainForm::Display_MouseMove(QMouseEvent *event)
{
    // The window is grabbed where the button went down, so it follows the pointer even when the
    // first motion arrives late; only the left button alone drags.
    if (event->type() == QEvent::MouseButtonPress)
        m_drag.pressed(event);
    else
        m_drag.moved(this, event, [this] { storePosition(this); });
}

void MainForm::Timer1_Timer()
{
    if (m_ended)
        return;
    m_ended = true;
    Timer1.stop();
    hide();
    Q_EMIT ended();
}

void MainForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MainForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    Timer1_Timer();
}

void MainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_republishOnActivation && isActiveWindow()) {
        m_republishOnActivation = false;
        setSecretClipboardText(Password);
    }
}

} // namespace zimbrel
