#include "xsession.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace
{
Display *dpy(void *connection)
{
    return static_cast<Display *>(connection);
}
} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    if (connection)
        XCloseDisplay(dpy(connection));
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        server.waitForFinished(5000);
    }
}

QString XSession::start()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return QStringLiteral("Xvfb is not installed");
    for (int n = 90; n < 190 && !connection; ++n) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
            || QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        display = QStringLiteral(":%1").arg(n);
        server.setProgram(xvfb);
        server.setArguments({ display, QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start();
        if (!server.waitForStarted(5000))
            return QStringLiteral("Xvfb did not start: ") + server.errorString();
        QDeadlineTimer deadline(10000);
        while (!connection && server.state() == QProcess::Running && !deadline.hasExpired()) {
            connection = XOpenDisplay(display.toLatin1().constData());
            if (!connection)
                QThread::msleep(50);
        }
        if (!connection && server.state() == QProcess::Running) {
            server.kill();
            server.waitForFinished();
        }
    }
    return connection ? QString() : QStringLiteral("no X server could be started");
}

unsigned long XSession::waitForWindow(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(dpy(connection), DefaultRootWindow(dpy(connection)), &root, &parent,
                &children, &count)) {
            Window found = 0;
            for (unsigned int i = 0; i < count && !found; ++i) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(dpy(connection), children[i], &attributes)
                    && attributes.map_state == IsViewable && !title(children[i]).isEmpty())
                    found = children[i];
            }
            if (children)
                XFree(children);
            if (found)
                return found;
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return 0;
}

QString XSession::title(unsigned long window)
{
    Display *d = dpy(connection);
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *data = nullptr;
    QString result;
    if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
            XInternAtom(d, "UTF8_STRING", False), &type, &format, &items, &after, &data)
            == Success
        && data) {
        result = QString::fromUtf8(reinterpret_cast<const char *>(data), int(items));
        XFree(data);
    }
    return result;
}

void XSession::pressKeys(unsigned long window, const QStringList &keys)
{
    Display *d = dpy(connection);
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
    XSync(d, False);
    QThread::msleep(200);
    for (const QString &key : keys) {
        const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(key.toLatin1().constData()));
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        XSync(d, False);
        QThread::msleep(50);
    }
}

void XSession::requestClose(unsigned long window)
{
    Display *d = dpy(connection);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}
