#include "mainform.h"

#include "generator/deadline.h"
#include "generator/sf.h"
#include "core/secret.h"
#include "core/kernelrandom.h"
#include "core/settingspassword.h"
#include "clipboard/clipboardhandoff.h"
#include "platform/wipe.h"
#include "platform/cp1252.h"
#include "shared/appicon.h"
#include "shared/placement.h"
#include "shared/settingsfile.h"
#include "platform/twips.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace zimbrel {
namespace {

// Fixedsys is not found on Linux desktops; these are the nearest fixed-pitch faces, in order.
QFont displayFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Fixedsys Excelsior 3.01"), QStringLiteral("Fixedsys"), QStringLiteral("Terminus"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

constexpr int kLabelOffset = 8; // 120 twips

const QString kToolTip = QStringLiteral(" Get this password from clipboard. ");

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
    // sway gives every floating X11 window at least its floating_minimum_size (75 x 50 by
    // default), which would leave an empty band under the text; a window it does not manage keeps
    // its own size (and moves itself when dragged).
    const bool sway = qEnvironmentVariableIsSet("SWAYSOCK")
        || qEnvironmentVariable("XDG_CURRENT_DESKTOP")
               .split(u':')
               .contains(QStringLiteral("sway"), Qt::CaseInsensitive);
    if (sway && QGuiApplication::platformName() == QLatin1String("xcb"))
        setWindowFlag(Qt::X11BypassWindowManagerHint);
    // Not drawn (there is no title bar); taskbars and window lists show it.
    setWindowTitle(QStringLiteral("zimbrel-generator"));
    setWindowIcon(appIcon());
    setFixedSize(kClientSize + QSize(2 * kBorder, 2 * kBorder));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_client = new QWidget(this);
    m_client->setGeometry(QRect(QPoint(kBorder, kBorder), kClientSize));

    m_display = new DisplayLabel(m_client);
    m_display->setObjectName(QStringLiteral("Display"));
    m_display->setTextFormat(Qt::PlainText);
    m_display->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_display->setFont(displayFont());
    m_display->setToolTip(kToolTip);
    // A screen reader reads the label's text, the password included, as the window's content.
    m_display->setAccessibleDescription(QStringLiteral("The new password"));
    m_display->move(kLabelOffset, kLabelOffset);
    m_display->onMouseMove = [this](QMouseEvent *event) { Display_MouseMove(event); };

    m_timer.setInterval(kLifetimeMs);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MainForm::Timer1_Timer);
}

QString MainForm::whyNoPassword()
{
    const SettingsLocation file = findSettingsFile();
    return QString::fromStdString(zimbrel::whyNoPassword(file, readSettingsBytes(file.path.c_str())));
}

QString MainForm::makePassword()
{
    // The same reading and the same engine as zimbrel-generator's, on the same bytes.
    std::string bytes = passwordFromSettings(readSettingsBytes(findSettingsFile().path.c_str()), kernelRandomWord);
    QString password = fromAnsi(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    wipeString(bytes);
    return password;
}

MainForm::~MainForm()
{
    releaseSecret();
    wipe(m_password);
}

void MainForm::usePrepared(const QString &password, ClipboardHandOff *handOff)
{
    m_prepared = password;
    if (handOff)
        m_handOff = handOff;
}

// The password exists before the window does, so that it can be on the clipboard while the
// window is still coming up; what the user sees is the same.
void MainForm::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_timer.start();

    reseedRandom();
    if (m_prepared) {
        m_password = *m_prepared;
        m_prepared.reset();
    } else {
        m_password = makePassword();
    }
    // Wiped also when the program has to be ended from outside the event loop.
    if (!m_password.isEmpty())
        guardSecret(m_password.constData(), size_t(m_password.size()) * sizeof(QChar));

    // The text decides the window's width, so it is known before the window is placed.
    publishPassword();
    RestorePosition(this);
    show();
}

void MainForm::publishPassword()
{
    if (m_password.isEmpty()) {
        // Nothing to copy: the clipboard keeps what it had, and the window says why.
        m_copyResult = CopyResult::NotCopied;
        setShownText(QStringLiteral("Your password: ") + tr(" (none: %1)").arg(whyNoPassword()));
        return;
    }
    m_copyResult = publishSecret(m_password, *m_handOff);
    // The keeper says when the password stops being the clipboard's content while the window is
    // open, so the window never claims a copy that is no longer there.
    connect(m_handOff, &ClipboardHandOff::lost, this, [this](CopyResult why) {
        if (m_ended || m_copyResult != CopyResult::Kept)
            return;
        m_copyResult = why;
        showPassword();
    });
    showPassword();
}

void MainForm::showPassword()
{
    QString text = QStringLiteral("Your password: ") + m_password;
    // Said in the window rather than leaving the user to paste whatever was copied before.
    if (m_copyResult == CopyResult::UntilExit)
        text += tr(" (copied while open)");
    else if (m_copyResult == CopyResult::NotCopied)
        text += tr(" (not copied)");
    else if (m_copyResult == CopyResult::Replaced)
        // Short, so that it fits the window beside a password of the usual length.
        text += tr(" (replaced)");
    else if (m_copyResult == CopyResult::ByWlCopy)
        // The last resort, which keeps the password in a file while it serves it.
        text += tr(" (copied by wl-copy)");
    setShownText(text);
}

void MainForm::setShownText(const QString &text)
{
    // The window keeps its width while the text fits, and otherwise grows to the screen's width,
    // around its centre unless the user has placed it (the stored place is its left edge); the
    // label then keeps 8 pixels clear at the right too, so the text sits in the middle. Beyond
    // the screen's width the middle gives way to an ellipsis, and the tool tip holds the whole.
    const QFontMetrics metrics(m_display->font());
    const int needed = metrics.horizontalAdvance(text) + 3 * kLabelOffset;
    const int screen = primaryScreenPixels().width() - 2 * kBorder;
    const int width = std::clamp(needed, kClientSize.width(), std::max(kClientSize.width(), screen));
    if (width != m_client->width()) {
        const int grown = width - m_client->width();
        setFixedSize(QSize(width, kClientSize.height()) + QSize(2 * kBorder, 2 * kBorder));
        m_client->resize(width, kClientSize.height());
        if (isVisible() && !hasStoredPosition())
            move(x() - grown / 2, y());
    }
    const int labelWidth = width == kClientSize.width() ? width : width - 2 * kLabelOffset;
    m_display->resize(labelWidth, kClientSize.height());
    const bool fits = needed <= width;
    const QString shown = fits ? text : metrics.elidedText(text, Qt::ElideMiddle, labelWidth - kLabelOffset);
    if (shown == m_display->text())
        return;
    QString before = m_display->text();
    QString tip = m_display->toolTip();
    m_display->setText(shown);
    m_display->setToolTip(fits ? kToolTip : text);
    // The label's earlier text and tool tip held the password too.
    wipe(before);
    wipe(tip);
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
    m_timer.stop();
    hide();
    // The program's own copies of the password go with it; the clipboard's helper keeps its own.
    QString shown = m_display->text();
    QString tip = m_display->toolTip();
    m_display->clear();
    m_display->setToolTip(kToolTip);
    wipe(shown);
    wipe(tip);
    releaseSecret();
    wipe(m_password);
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

} // namespace zimbrel
