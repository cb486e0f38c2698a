#include "dialogbuttons.h"

#include "controls/xpbutton/winxpbutton.h"
#include "platform/winkeys.h"

#include <QApplication>
#include <QKeyEvent>

namespace zimbrel {

DialogButtons::DialogButtons(QWidget *form, WinXPButton *defaultButton, WinXPButton *cancelButton)
    : QObject(form)
    , m_form(form)
    , m_default(defaultButton)
    , m_cancel(cancelButton)
{
    form->installEventFilter(this);
    // The rim steps back while the other button has the focus.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_default)
            m_default->AmbientChanged(QStringLiteral("DisplayAsDefault"));
    });
}

DialogButtons::~DialogButtons()
{
    disconnect(m_focusWatch);
}

bool DialogButtons::displaysAsDefault(const WinXPButton *button) const
{
    if (!button || button != m_default)
        return false;
    const auto *focused = qobject_cast<const WinXPButton *>(QApplication::focusWidget());
    return !focused || focused == m_default;
}

bool DialogButtons::eventFilter(QObject *watched, QEvent *event)
{
    // Keys a control of the form did not take come here on their way to the form.
    if (watched != m_form || event->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        auto *focused = qobject_cast<WinXPButton *>(QApplication::focusWidget());
        if (WinXPButton *target = focused ? focused : m_default.data())
            target->AccessKeyPress(vk::Return);
        return true;
    }
    case Qt::Key_Escape:
        if (m_cancel)
            m_cancel->AccessKeyPress(vk::Escape);
        return true;
    default:
        return false;
    }
}

PropertyBag dialogButtonDesign(const QString &caption)
{
    QString quoted = caption;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return PropertyBag::fromText(QStringLiteral("_ExtentX = 2778\n_ExtentY = 873\nTX = \"%1\"\nENAB = -1 'True\n"
                                                "FONT = font(\"MS Sans Serif\", 8.25, 0, 0, 0)\nMPTR = 0\n"
                                                "MICON = Nothing\nUMCOL = -1 'True\nPICPOS = 0\nNGREY = 0 'False\n"
                                                "FX = 3\n")
                                     .arg(quoted));
}

} // namespace zimbrel
