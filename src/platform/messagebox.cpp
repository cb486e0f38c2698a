#include "messagebox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace zimbrel {
namespace {

MessageHandler &handler()
{
    static MessageHandler current;
    return current;
}

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void showMessage(const Message &message)
{
    if (handler()) {
        handler()(message);
        return;
    }
    const QString title = message.title.isEmpty() ? QCoreApplication::applicationName() : message.title;
    QMessageBox box(toQt(message.icon), title, message.text, QMessageBox::Ok);
    box.exec();
}

MessageHandler setMessageHandler(MessageHandler replacement)
{
    return std::exchange(handler(), std::move(replacement));
}

} // namespace zimbrel
