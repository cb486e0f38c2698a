#include "mainform.h"

#include "generator/deadline.h"
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
    font.setFamilies({QStringLiteral("Fixedsys Excelsior 3.01"), QStringLiteral("Fixedsys"), QStringLiteral("Terminus"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Monospace")});
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

    m_display = new DisplayLabel(m_client);
    m_display->setObjectName(QStringLiteral("Display"));
    m_display->setTextFormat(Qt::PlainText);
    m_display->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_display->setFont(displayFont());
    m_display->setToolTip(QStringLiteral(" Get this password from clipboard. "));
    // A screen reader reads the label's text, the password included, as the window's content.
    m_display->setAccessibleDescription(QStringLiteral("The new password"));
    m_display->move(kLabelOffset, kLabelOffset);
    m_display->onMouseMove = [this](QMouseEvent *event) { Display_MouseMove(event); };

    m_timer.setInterval(kLifetimeMs);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MainForm::Timer1_Timer);
}

namespace {

// An unreadable file leaves the line list unassigned, which the engine treats like no file.
std::optional<QStringList> settingsLines()
{
    std::optional<QStringList> lines;
    const FileText file = ReadFileText(locateSettingsFiles().read, 2);
    if (!file.failed())
        lines = splitSettingsLines(file.text);
    return lines;
}

} // namespace

QString MainForm::whyNoPassword()
{
    return WhyNoPassword(settingsLines());
}

QString MainForm::makePassword(QString *candidates)
{
    const std::optional<QStringList> lines = settingsLines();
    reseedRandom();
    qint16 count = kCandidateCount;
    QString firstRound = RandomString(count, AnyAnsiCharacter);
    QString password = SelectPassword(firstRound, lines, [] { return CandidateRoundFrom(); });
    ApplyReplacements(password);
    if (candidates)
        *candidates = firstRound;
    wipe(firstRound);
    return password;
}

MainForm::~MainForm()
{
    releaseSecret();
    wipe(m_password);
    wipe(m_candidates);
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
        m_password = makePassword(&m_candidates);
    }
    // Wiped also when the program has to be ended from outside the event loop.
    if (!m_password.isEmpty())
        guardSecret(m_password.constData(), size_t(m_password.size()) * sizeof(QChar));

    RestorePosition(this);
    show();
    m_display->resize(m_client->size());
    publishPassword();
}

void MainForm::publishPassword()
{
    if (m_password.isEmpty()) {
        // Nothing to copy: the clipboard keeps what it had, and the window says why.
        m_copyResult = CopyResult::NotCopied;
        m_display->setText(QStringLiteral("Your password: ") + tr(" (none: %1)").arg(whyNoPassword()));
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
    QString shown = m_display->text();
    if (shown == text)
        return;
    m_display->setText(text);
    // The label's earlier text held the password too.
    wipe(shown);
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
    wipe(shown);
    m_display->clear();
    releaseSecret();
    wipe(m_password);
    wipe(m_candidates);
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
