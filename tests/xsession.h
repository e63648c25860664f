#pragma once

#include <QProcess>
#include <QString>

// A private Xvfb server for starting the real program in a real window, and the few things a
// user does to that window: read its title, type keys into it, close it.
class XSession
{
public:
    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Empty when the server is up; otherwise why it could not be started.
    QString start();
    QString displayName() const { return display; }

    // The first mapped top-level window that has a title, or 0 after timeoutMs.
    unsigned long waitForWindow(int timeoutMs);
    QString title(unsigned long window);
    // Gives the window the keyboard focus and presses each key (X keysym names) in turn.
    void pressKeys(unsigned long window, const QStringList &keys);
    // What the window manager's close button does: asks the window to close.
    void requestClose(unsigned long window);

private:
    QProcess server;
    QString display;
    void *connection = nullptr;
};
