// The error policy: an error that no handler expects does not end the program; before the
// main window exists it is shown in a message box, afterwards it goes to the error log.
#include "guifixture.h"

#include "errorpolicy.h"

#include <stdexcept>

namespace {

// Throws from its event handler, as a faulty handler would.
class Faulty : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("a handler failed");
        return QObject::event(e);
    }
};

QByteArray readLog(const GuiFixture& app) {
    QFile log(app.root.filePath("reelkeeper.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

} // namespace

class ErrorPolicyTest : public QObject {
    Q_OBJECT

private slots:
    void beforeTheMainWindowAnErrorIsShown() {
        GuiFixture app;
        Faulty faulty;
        faulty.setObjectName("faulty");
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(&faulty, &e);
        QCOMPARE(app.prompt.messages(), QStringList{"a handler failed"});
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Error);
    }

    void afterwardsItGoesToTheLogAndTheProgramGoesOn() {
        GuiFixture app;
        QVERIFY(app.start());
        app.prompt.clear();
        Faulty faulty;
        faulty.setObjectName("faulty");
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(&faulty, &e);
        QVERIFY(app.prompt.messages().isEmpty());
        const QByteArray log = readLog(app);
        QVERIFY2(log.contains("faulty") && log.contains("a handler failed"), log.constData());
        // The window still works.
        app.form->ViewAll1Click();
        QVERIFY(app.form->statusPanelText(0).startsWith("Total Entries: "));
    }
};

int main(int argc, char** argv) {
    rk::fw::RkApplication app(argc, argv);
    ErrorPolicyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "errorpolicy_test.moc"
