#include "formsettings.h"

#include "platform/messagebox.h"
#include "settings/colorpicker/runpicker.h"
#include "controls/xpbutton/dialogbuttons.h"
#include "shared/appicon.h"
#include "shared/placement.h"
#include "shared/titleband.h"
#include "shared/settingsfile.h"
#include "settings/strength.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace zimbrel {
namespace {

constexpr int kLengthLimit = 3;
constexpr int kSetLimit = 255;
// The read-out's tone for a length that gives no password, or a weak one: a dark red that reads
// well on the form's grey.
const QColor kWarningColor = QColor(0xA0, 0x10, 0x10);

} // namespace

void InfoLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void InfoLabel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void InfoLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

FormSettings::FormSettings(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Kavrin Password Settings"));
    setWindowIcon(appIcon());
    setFixedSize(kClientSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_band = titleBand();

    m_info[0] = new InfoLabel(QStringLiteral(" Password Length: "), this);
    m_info[0]->move(8, 43);
    m_param1 = new LimitedLineEdit(kLengthLimit, this);
    m_param1->setObjectName(QStringLiteral("Param1"));
    m_param1->setGeometry(136, 40, 33, 25);
    // Screen readers name a box by its label.
    m_param1->setAccessibleName(QStringLiteral("Password Length"));
    m_info[1] = new InfoLabel(QStringLiteral(" Allowed Character Set: "), this);
    m_info[1]->move(8, 75);
    m_param2 = new CharacterSetEdit(kSetLimit, this);
    m_param2->setObjectName(QStringLiteral("Param2"));
    m_param2->setGeometry(8, 96, 249, 73);
    m_param2->setAccessibleName(QStringLiteral("Allowed Character Set"));
    for (InfoLabel *label : m_info) {
        label->setTextFormat(Qt::PlainText);
        label->setFocusPolicy(Qt::NoFocus);
        label->adjustSize();
    }

    m_ok = new WinXPButton(this, this);
    m_ok->setObjectName(QStringLiteral("CmdOK"));
    m_ok->ReadProperties(dialogButtonDesign(QStringLiteral("Save")));
    m_ok->setGeometry(272, 40, 105, 33);
    m_cancel = new WinXPButton(this, this);
    m_cancel->setObjectName(QStringLiteral("CmdCancel"));
    m_cancel->ReadProperties(dialogButtonDesign(QStringLiteral("Cancel")));
    m_cancel->setGeometry(272, 78, 105, 33);
    // How strong the boxes as typed make a password, in the free space under Cancel. It only
    // informs: Save writes the boxes as they are.
    m_strength = new QLabel(this);
    // It lies on the window's drag surface, which stays one.
    m_strength->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_strength->setObjectName(QStringLiteral("Strength"));
    m_strength->setTextFormat(Qt::PlainText);
    m_strength->setFocusPolicy(Qt::NoFocus);
    m_strength->setWordWrap(true);
    m_strength->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Four lines of words down to the window's bottom edge.
    m_strength->setGeometry(272, 118, 105, 60);
    // Read out when it changes (its description follows the text) and explained on hovering.
    m_strength->setAccessibleName(QStringLiteral("Password strength"));
    m_strength->setToolTip(strengthExplained());
    connect(m_param1, &QLineEdit::textChanged, this, &FormSettings::showStrength);
    connect(m_param2, &QPlainTextEdit::textChanged, this, &FormSettings::showStrength);
    connect(m_ok, &WinXPButton::Click, this, &FormSettings::CmdOK_Click);
    connect(m_cancel, &WinXPButton::Click, this, &FormSettings::CmdCancel_Click);

    setTabOrder(m_param1, m_param2);
    setTabOrder(m_param2, m_ok);
    setTabOrder(m_ok, m_cancel);
    // Enter saves, also from the set box; Escape cancels, which writes nothing.
    m_buttons = new DialogButtons(this, m_ok, m_cancel);
}

QImage FormSettings::titleBand()
{
    return titleBandImage(0xE9E8E8, 0xE9E8E8);
}

void FormSettings::Form_Load()
{
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor::fromRgb(kBackColor));
    setPalette(background);
    RestorePosition(this);
    ReadSettings();
    ShowSettings();
    m_param1->setFocus();
}

void FormSettings::showStrength()
{
    const Strength strength = passwordStrength(m_param2->rawText(), m_param1->text());
    QPalette colours = m_strength->palette();
    colours.setColor(QPalette::WindowText, strength.warning ? kWarningColor : palette().color(QPalette::WindowText));
    m_strength->setPalette(colours);
    if (m_strength->text() == strength.text)
        return;
    m_strength->setText(strength.text);
    // The description carries the words, so a screen reader hears each change.
    m_strength->setAccessibleDescription(strength.text);
}

void FormSettings::PickColor(quint32 &color)
{
    // 360 twips right of and below this window.
    if (const auto chosen = picker::runColorPicker(this, color & 0x00FFFFFFu, pos() + QPoint(24, 24)))
        color = *chosen;
}

void FormSettings::ReadSettings()
{
    // A file that cannot be read shows as empty boxes; short files still give both lines.
    m_files = locateSettingsFiles();
    m_ok->setToolTip(m_files.save.isEmpty() ? QString() : QStringLiteral(" Save to %1 ").arg(m_files.save));
    const FileText file = ReadFileText(m_files.read, 2);
    m_settingsLines = splitSettingsLines(file.text);
    while (m_settingsLines.size() < 7)
        m_settingsLines.append(QString());
}

void FormSettings::ShowSettings()
{
    m_param1->setText(m_settingsLines.value(1));
    m_param2->setRawText(m_settingsLines.value(0));
}

bool FormSettings::SaveSettings()
{
    const QString text = m_param2->rawText() + QStringLiteral("\r\n") + m_param1->text();
    const QString &name = m_files.save;
    QString error;
    if (name.isEmpty())
        error = QStringLiteral("Neither XDG_CONFIG_HOME nor HOME names a folder to keep settings in.");
    else if (!QFileInfo(name).absoluteDir().exists())
        error = makeFoldersFor(name);
    if (error.isEmpty())
        error = WriteFileText(name, text);
    if (error.isEmpty())
        return true;
    showMessage({QStringLiteral("The settings could not be saved to %1.\n\n%2")
                     .arg(name.isEmpty() ? QStringLiteral("settings.ini") : name, error),
                 {},
                 MessageIcon::Error});
    return false;
}

void FormSettings::CmdOK_Click()
{
    if (SaveSettings())
        unload();
}

void FormSettings::CmdCancel_Click()
{
    unload();
}

void FormSettings::unload()
{
    hide();
    Q_EMIT unloaded();
}

QString FormSettings::ambientDisplayName(const WinXPButton *button) const
{
    return button->objectName();
}

QFont FormSettings::ambientFont() const
{
    return font();
}

bool FormSettings::ambientDisplayAsDefault(const WinXPButton *button) const
{
    return m_buttons->displaysAsDefault(button);
}

void FormSettings::propertyChanged(WinXPButton *, const QString &)
{
    // The form is not designed at run time; there is nothing to keep up to date.
}

bool FormSettings::event(QEvent *event)
{
    // The read-out lets the mouse through to the window (a drag may start on it), so the window
    // shows its tool tip.
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (m_strength->geometry().contains(help->pos())) {
            QToolTip::showText(help->globalPos(), m_strength->toolTip(), this, m_strength->geometry());
            return true;
        }
    }
    return QWidget::event(event);
}

void FormSettings::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(kBackColor));
    painter.drawImage(0, 0, m_band);
}

void FormSettings::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_drag.pressed(event);
}

void FormSettings::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging the window's own surface moves it; the editor does not remember where.
    m_drag.moved(this, event);
}

void FormSettings::closeEvent(QCloseEvent *event)
{
    // Closed by the window system: as Cancel, nothing is written.
    event->accept();
    Q_EMIT unloaded();
}

} // namespace zimbrel
