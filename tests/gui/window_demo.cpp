// Opens one of the program's dialogs over the main window, as its command does, for looking
// at it by eye (screenshots under Xvfb):
//   gui_window_demo --data DIR --settings FILE --window lists|prefs|master|stats|filter
//                   [--page N] [--text FILTER]
// or one of the main window's detail pages on a title, optionally at the window's minimum size:
//   gui_window_demo --data DIR --settings FILE --window detail --page N [--title T] [--minimum]
// The program stays open until it is ended.
#include "appwindows.h"
#include "errorpolicy.h"
#include "form1.h"
#include "masterform.h"
#include "modcats.h"
#include "prefform.h"
#include "settings.h"

#include <QCommandLineParser>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char** argv) {
    rk::fw::RkApplication app(argc, argv);
    QCommandLineParser options;
    const QCommandLineOption data(QStringLiteral("data"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(),
                                      QStringLiteral("FILE"));
    const QCommandLineOption window(QStringLiteral("window"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption page(QStringLiteral("page"), QString(), QStringLiteral("N"));
    const QCommandLineOption title(QStringLiteral("title"), QString(), QStringLiteral("T"));
    const QCommandLineOption minimum(QStringLiteral("minimum"));
    const QCommandLineOption text(QStringLiteral("text"), QString(), QStringLiteral("FILTER"));
    options.addOptions({data, settings, window, page, title, minimum, text});
    options.process(app);
    rk::fw::SettingsKey::setFilePath(options.value(settings));

    TForm1* form1 = createWindows(options.value(data));
    if (!form1->isReady()) return 1;
    form1->show();
    form1->activateWindow();
    const QString name = options.value(window);
    const int pageIndex = options.value(page).toInt();
    if (name == QLatin1String("detail")) {
        rk::fw::Dataset* titles = form1->titlesData();
        const QString wanted = options.value(title);
        if (!wanted.isEmpty() && titles->first().isOk())
            while (titles->text("TITLE") != wanted && !titles->eof())
                if (!titles->next().isOk()) break;
        form1->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(pageIndex);
        if (options.isSet(minimum)) {
            form1->resize(form1->minimumSize().expandedTo(form1->minimumSizeHint()));
            form1->move(0, 0);
        }
    }
    const QString filter = options.value(text);
    QTimer::singleShot(500, form1, [form1, name, pageIndex, filter] {
        if (name == QLatin1String("lists")) {
            appWindows().modCats->PageControl1->setCurrentIndex(pageIndex);
            form1->ModifyCategories2Click();
        } else if (name == QLatin1String("prefs")) {
            appWindows().prefForm->PageControl1->setCurrentIndex(pageIndex);
            form1->PreferencesClick();
        } else if (name == QLatin1String("master")) {
            // Without a window manager nobody maximises the window: it is given the screen.
            QTimer::singleShot(300, [] {
                TMasterForm* m = appWindows().masterForm;
                if (m && m->geometry() != m->screen()->availableGeometry())
                    m->setGeometry(m->screen()->availableGeometry());
            });
            form1->MasterEditor1Click();
        } else if (name == QLatin1String("stats")) {
            form1->ViewAll1Click();
            form1->Statistics1Click();
        } else if (name == QLatin1String("filter")) {
            form1->ViewAll1Click();
            form1->findChild<QLineEdit*>(QStringLiteral("QuickFilter"))->setText(filter);
        }
    });
    const int result = app.exec();
    destroyWindows();
    return result;
}
