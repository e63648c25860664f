// SPDX-License-Identifier: MIT
#include "app/commandline.h"
#include "params/paramtable.h"
#include "tidyup/report/report.h"
#include "ui/body.h"

#include <QApplication>
#include <QIcon>
#include <QTextCodec>
#include <QTranslator>
#include <cstdio>

namespace
{

// The texts of both faces: Japanese unless -e asks for English, whose texts that count things
// still need their singular and plural forms.
void installTranslations(const ParamTable &args, QTranslator &plurals, QTranslator &translator)
{
    // Both are built in: a catalogue that does not load is not installed, and the texts stay as
    // they are written.
    if (plurals.load(QStringLiteral(":/Quorvix_en")))
        QCoreApplication::installTranslator(&plurals);
    if (!args.hasParam(QStringLiteral("-e"))
        && translator.load(QStringLiteral(":Quorvix_ja_JP"), QCoreApplication::applicationDirPath(),
            QString(), QString()))
        QCoreApplication::installTranslator(&translator);
}

} // namespace

int main(int argc, char *argv[])
{
    const ParamTable args(argc, argv);
    QTranslator plurals;
    QTranslator translator;
    // Without a window, and so without a display: under cron, in a service, over ssh.
    if (CommandLine::wanted(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("quorvix-data"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QUORVIX_VERSION));
        installTranslations(args, plurals, translator);
        CommandLine commandLine;
        return commandLine.exec(QCoreApplication::arguments());
    }
    // Over ssh or under cron the toolkit would abort, and leave a core behind.
    if (CommandLine::displayMissing(argc, argv)) {
        QCoreApplication app(argc, argv);
        installTranslations(args, plurals, translator);
        std::fputs(qPrintable(CommandLine::noDisplayText() + QLatin1Char('\n')), stderr);
        return Report::BadUsage;
    }

    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvix-data"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVIX_VERSION));
    // Lets a desktop match the window to its entry, and so to its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVIX_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.svg")));
    installTranslations(args, plurals, translator);
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
