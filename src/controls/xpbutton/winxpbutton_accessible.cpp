// What assistive technology (screen readers, through AT-SPI on Linux) learns of a WinXPButton: a
// push button named by its caption, with the press action and the states a reader announces.
// The button is a plain widget that draws itself, so Qt alone would expose an unnamed element of
// no role.

#include "winxpbutton.h"

#include <QAccessibleWidget>

namespace zimbrel {

namespace {

class WinXPButtonAccessible : public QAccessibleWidget
{
public:
    explicit WinXPButtonAccessible(WinXPButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    WinXPButton *button() const { return static_cast<WinXPButton *>(widget()); }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty())
            return captionWithoutMnemonic(button()->Caption());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.focusable = true;
        state.focused = button()->hasFocus();
        state.pressed = button()->lastState() == xp::StatePressed;
        state.disabled = !button()->Enabled();
        const ButtonContainer *container = button()->container();
        state.defaultButton = container && container->ambientDisplayAsDefault(button());
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &name) override
    {
        // What a click does, and only where a click would.
        if (name == pressAction() && button()->Enabled())
            button()->AccessKeyPress(0);
    }

private:
    // "&Save" is read "Save"; "&&" stands for one "&".
    static QString captionWithoutMnemonic(const QString &caption)
    {
        QString plain;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (caption.at(i) == u'&' && i + 1 < caption.size())
                ++i;
            plain += caption.at(i);
        }
        return plain.trimmed();
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(WinXPButton::staticMetaObject.className()) && object->isWidgetType())
        return new WinXPButtonAccessible(static_cast<WinXPButton *>(object));
    return nullptr;
}

} // namespace

void WinXPButton::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace zimbrel
