// rkgallery [main|splash|tip|about|dual|calc]: shows the component gallery or one of the
// component windows, for screenshots and for looking at the components by hand.
#include "gallerywindow.h"

#include "aboutwindow.h"
#include "calculatorpopup.h"
#include "duallistdialog.h"
#include "splashwindow.h"
#include "tipwindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setStyle(QStringLiteral("Fusion"));
    const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main");

    if (page == QLatin1String("splash")) {
        rk::SplashWindow splash;
        splash.showCentered();
        return app.exec();
    }
    if (page == QLatin1String("tip")) {
        rk::TipWindow tips;
        tips.setLines({QStringLiteral("1"),
                       QStringLiteral("Press F6 to see every title of your collection, and F7 "
                                      "to see only the titles you have marked."),
                       QStringLiteral("Ctrl+M marks the current title.")});
        tips.move(20, 20);
        tips.show();
        return app.exec();
    }
    if (page == QLatin1String("about")) {
        rk::AboutWindow about;
        about.move(20, 20);
        about.show();
        return app.exec();
    }
    if (page == QLatin1String("dual")) {
        rk::DualListDialog chooser;
        chooser.setWindowTitle(QStringLiteral("Select Fields"));
        chooser.setSourceItems({QStringLiteral("Multi_set"), QStringLiteral("Tapes"),
                                QStringLiteral("Director"), QStringLiteral("Producer"),
                                QStringLiteral("Format"), QStringLiteral("ID"),
                                QStringLiteral("Counter"), QStringLiteral("Runtime")});
        chooser.setDestinationItems({QStringLiteral("Title"), QStringLiteral("Category")});
        chooser.move(20, 20);
        chooser.show();
        return app.exec();
    }
    if (page == QLatin1String("calc")) {
        rk::CalculatorPopup calculator;
        calculator.setValue(19.95);
        calculator.popupAt(QPoint(20, 20));
        return app.exec();
    }
    GalleryWindow window;
    window.move(10, 10);
    window.show();
    return app.exec();
}
