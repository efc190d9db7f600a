// Reelkeeper: program entry.
//
//   reelkeeper [--data DIR] [--settings FILE]
//
// --data DIR       the folder of the catalogue (default: the program's folder, or the
//                  user's application data folder for an installed program and when the
//                  program's folder cannot be written)
// --settings FILE  the settings file to use instead of the user's (a portable setup)
#include "appwindows.h"
#include "datafolder.h"
#include "errorpolicy.h"
#include "form1.h"
#include "settings.h"
#include "splashwindow.h"

#include <QCommandLineParser>
#include <QIcon>
#include <QStandardPaths>

int main(int argc, char** argv) {
    rk::fw::RkApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelkeeper"));
    QApplication::setApplicationDisplayName(QStringLiteral("Reelkeeper"));
    QApplication::setApplicationVersion(QStringLiteral("3.01"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(rk::app::kAppId));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/org.reelkeeper.Reelkeeper.svg")));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("A catalogue of a home video collection."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("The folder that holds the catalogue."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("The settings file to use."),
                                      QStringLiteral("FILE"));
    options.addOption(data);
    options.addOption(settings);
    options.process(app);
    if (options.isSet(settings)) rk::fw::SettingsKey::setFilePath(options.value(settings));

    rk::SplashWindow splash;
    splash.setPicture(rk::SplashWindow::defaultPicture(splash.devicePixelRatioF(),
                                                       QStringLiteral("Reelkeeper98"),
                                                       QStringLiteral("Version 3.01")));
    splash.showCentered();

    const QString folder = rk::app::chooseDataFolder(
        options.value(data), QApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    TForm1* form1 = createWindows(folder);
    if (!form1->isReady()) {
        destroyWindows();
        return 1;
    }
    form1->setSplash(&splash);
    form1->show();
    form1->activateWindow(); // also where no window manager hands out the focus
    const int result = app.exec();
    destroyWindows();
    return result;
}
