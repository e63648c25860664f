#include "messagecapture.h"

namespace
{
MessageCapture *active = nullptr;
QStringList captured;
} // namespace

MessageCapture::MessageCapture()
{
    captured.clear();
    active = this;
    previous = qInstallMessageHandler(handler);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previous);
    active = nullptr;
}

QStringList MessageCapture::lines() const
{
    return captured;
}

void MessageCapture::handler(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    captured << msg;
    if (active && active->onMessage)
        active->onMessage();
}
