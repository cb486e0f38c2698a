#pragma once
// A form's OK and Cancel pair of XP buttons as a dialog uses them: Enter presses the button that
// has the focus, or else the default one (also from a text box); Escape presses Cancel; the
// default button wears its blue rim unless the other button has the focus, and the rim follows
// every focus change. A form makes one of these after its buttons, answers
// ambientDisplayAsDefault with displaysAsDefault, and needs no key handler of its own for these keys.

#include "controls/xpbutton/propertybag.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zimbrel {

class WinXPButton;

class DialogButtons : public QObject
{
public:
    DialogButtons(QWidget *form, WinXPButton *defaultButton, WinXPButton *cancelButton);
    ~DialogButtons() override;

    // Whether `button` shows the default button's rim.
    bool displaysAsDefault(const WinXPButton *button) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_form;
    QPointer<WinXPButton> m_default;
    QPointer<WinXPButton> m_cancel;
    QMetaObject::Connection m_focusWatch;
};

// The design both dialogs give their buttons: the caption in 8.25-point MS Sans Serif, the XP
// relief, 105 x 33 pixels (2778 x 873 HIMETRIC).
PropertyBag dialogButtonDesign(const QString &caption);

} // namespace zimbrel
