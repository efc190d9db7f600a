// A whole program on a temporary data folder: the sample catalogue (or none), a settings
// file and an error log of its own, a scripted prompt, and the windows created in their
// start-up order. start() runs a "program start" and stop() its end, so that a test can run
// the program several times on the same settings.
#pragma once

#include "appwindows.h"
#include "catalogue.h"
#include "errorlog.h"
#include "form1.h"
#include "navform.h"
#include "scriptedprompt.h"
#include "settings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A control of a window by its name; the test stops when there is none.
template <class T> T* ctl(const QObject* window, const char* name) {
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control named %s", name);
    return w;
}

class GuiFixture {
public:
    QTemporaryDir root;
    QString data;     // the data folder, with its trailing separator
    QString settings; // the settings file
    rk::fw::ScriptedPrompt prompt;
    TForm1* form = nullptr;

    enum class Catalogue { Sample, Empty, None };

    explicit GuiFixture(Catalogue c = Catalogue::Sample) {
        data = root.filePath(QStringLiteral("data")) + QLatin1Char('/');
        settings = root.filePath(QStringLiteral("config/RKP98.ini"));
        rk::fw::SettingsKey::setFilePath(settings);
        rk::fw::ErrorLog::setPath(root.filePath(QStringLiteral("reelkeeper.log")));
        const std::string dir = data.toStdString();
        if (c == Catalogue::Sample && !rk::catalogue::createSample(dir).isOk()) qFatal("sample");
        if (c == Catalogue::Empty && !rk::catalogue::createEmpty(dir).isOk()) qFatal("empty");
        if (c == Catalogue::None) QDir().mkpath(data);
    }
    ~GuiFixture() { stop(); }

    // Creates the windows and shows the main window, as main() does. False when the main
    // window refused to start.
    bool start(bool show = true) {
        form = createWindows(data);
        if (!form->isReady()) return false;
        if (show) {
            form->show();
            form->activateWindow();
            if (!QTest::qWaitForWindowActive(form)) qWarning("the main window did not activate");
        }
        return true;
    }

    // Closes the main window as the user would, then deletes the windows.
    void stop() {
        if (!form) return;
        if (form->isVisible()) form->close();
        destroyWindows();
        form = nullptr;
        QCoreApplication::processEvents();
    }

    void restart() {
        stop();
        prompt.clear();
        start();
    }

    void writeSetting(const QString& section, const QString& name, const QString& value) {
        rk::fw::SettingsKey key;
        key.writeString(section, name, value);
    }
    QString readSetting(const QString& section, const QString& name) {
        rk::fw::SettingsKey key;
        return key.readString(section, name, QStringLiteral("<missing>"));
    }
    QByteArray settingsBytes() const {
        QFile f(settings);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    template <class T> T* find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qWarning("no control named %s", name);
        return w;
    }
    QString titleText() const { return form->titlesData()->text("TITLE"); }
};
