#pragma once
// Message boxes go through one replaceable function, so tests and benchmarks can capture what
// would be shown instead of blocking on a modal window.

#include <QString>
#include <functional>

namespace zimbrel {

enum class MessageIcon { None, Information, Warning, Error };

struct Message
{
    QString text;
    QString title; // empty: the program's name
    MessageIcon icon = MessageIcon::None;
};

using MessageHandler = std::function<void(const Message &)>;

// Shows `message` with an OK button and waits until it is closed (or hands it to the handler).
void showMessage(const Message &message);

// Replaces what showMessage does; returns the handler that was in place. An empty handler
// restores the real message box.
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace zimbrel
