// A catalogue on media that cannot be written (a disc, a read-only mount) opens for reading:
// the title bar says so, the titles are listed, and nothing takes typing or writes. The
// media is a read-only bind mount of the test's catalogue in a mount namespace of the test's
// own; where namespaces cannot be made (no privilege) the test says so and is skipped.
#include "guifixture.h"

#include "datacontrols.h"
#include "gradienttoolbutton.h"

#include <QLineEdit>
#include <QStatusBar>

#include <sched.h>
#include <sys/mount.h>

namespace {

// Made at the start of main(), while the program has one thread.
bool haveNamespace = false;

bool mountReadOnly(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    return haveNamespace &&
           ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
               0;
}

} // namespace

class ReadOnlyTest : public QObject {
    Q_OBJECT

private slots:
    void aCatalogueOnReadOnlyMediaOpensForReading() {
        GuiFixture app;
        if (!mountReadOnly(app.data)) QSKIP("no mount namespace here: read-only media untested");
        QVERIFY(!QFileInfo(app.data + "VIDEO.DBF").isWritable());
        QVERIFY(app.start());
        TForm1* f = app.form;
        QVERIFY(f->windowTitle().contains("read-only"));
        QCOMPARE(f->titles().recCount(), 72u);
        f->ViewAll1Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(), 72);
        // Nothing that writes can be started, and a change asked of the titles is refused.
        QVERIFY(!ctl<rk::GradientToolButton>(f, "NewBut")->isEnabled());
        QVERIFY(!ctl<rk::GradientToolButton>(f, "TrashBut")->isEnabled());
        QVERIFY(ctl<QLineEdit>(f, "DBEdit1")->isReadOnly());
        QVERIFY(!f->titlesData()->setText("TITLE", QStringLiteral("Changed")).isOk());
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        app.stop();
        QCOMPARE(::umount2(QFile::encodeName(app.data).constData(), MNT_DETACH), 0);
    }
};

int main(int argc, char** argv) {
    // A mount namespace of our own, whose mounts no other process sees.
    haveNamespace = ::unshare(CLONE_NEWNS) == 0 &&
                    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QApplication app(argc, argv);
    ReadOnlyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "readonly_test.moc"
