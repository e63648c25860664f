// SPDX-License-Identifier: MIT
#include "body.h"
#include "paramtable.h"

#include <QApplication>
#include <QIcon>
#include <QTextCodec>
#include <QTranslator>

int main(int argc, char *argv[])
{
    const ParamTable args(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvix-data"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVIX_VERSION));
    // Lets a desktop match the window to its entry, and so to its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVIX_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.svg")));
    // The English texts that count things need their singular and plural forms, also with -e.
    QTranslator plurals;
    plurals.load(QStringLiteral(":/Quorvix_en"));
    QCoreApplication::installTranslator(&plurals);
    QTranslator translator;
    if (!args.hasParam(QStringLiteral("-e"))) {
        translator.load(QStringLiteral(":Quorvix_ja_JP"), QCoreApplication::applicationDirPath(),
            QString(), QString());
        QCoreApplication::installTranslator(&translator);
    }
#ifdef Q_OS_WIN
    // Elsewhere the locale codec also encodes every file name: Shift-JIS there would make
    // UTF-8 names unreachable. The configuration reader sets Shift-JIS on its own stream.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("Shift-JIS"));
#endif

    Body body(args);
    body.show();
    QObject::connect(&body, SIGNAL(finishing()), &app, SLOT(closeAllWindows()));
    return app.exec();
}
