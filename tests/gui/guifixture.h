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
#include "record.h"
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

// The record number of the first title stored with this text; 0 when there is none.
inline uint32_t findTitle(rk::store::Table& t, const QString& title) {
    for (uint32_t r = 1; r <= t.recCount(); ++r) {
        std::string image;
        if (!t.dbf()->readRecord(r, &image).isOk()) return 0;
        if (QString::fromStdString(std::string(rk::dbf::trimmedField(image, *t.field("TITLE")))) ==
            title)
            return r;
    }
    return 0;
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
        return ready(show);
    }

    // Creates the main window alone, without the program's other windows, for the rules of
    // the main window itself; the commands that open another window find none and do nothing.
    // Shows it as start() does. stop() deletes it.
    bool startMainWindow(bool show = true) {
        form = new TForm1(data);
        appWindows().form1 = form;
        return ready(show);
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

private:
    bool ready(bool show) {
        if (!form->isReady()) return false;
        if (show) {
            form->show();
            form->activateWindow();
            if (!QTest::qWaitForWindowActive(form)) qWarning("the main window did not activate");
        }
        return true;
    }

public:
    template <class T> T* find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qWarning("no control named %s", name);
        return w;
    }
    QString titleText() const { return form->titlesData()->text("TITLE"); }
};
