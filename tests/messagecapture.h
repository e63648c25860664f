#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects what is written to the debug channel while it lives, each line as the default
// handler would print it.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    QStringList lines() const;
    // Called from inside every captured message, while the sender is still running.
    void setOnMessage(void (*callback)()) { onMessage = callback; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

    QtMessageHandler previous;
    void (*onMessage)() = nullptr;
};
