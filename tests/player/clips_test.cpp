// Clips on the sample catalogue with files the test makes: the AV page's clip group
// (enabling, the hint with the whole path, the browse dialog and the filter it keeps, the
// missing-file message) and the player (playing to the end, the track bar, Stop, Pause,
// closing, clips that cannot be played, video).
#include "guifixture.h"

#include "datacontrols.h"
#include "playerform.h"

#include <QAction>
#include <QDataStream>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVideoWidget>
#include <QtMath>

using rk::fw::DBCheckBox;
using rk::fw::DBEdit;

namespace {

// A mono 16-bit WAV file of a quiet tone at 8 kHz.
bool writeWav(const QString& path, int milliseconds) {
    const quint32 rate = 8000, samples = rate * quint32(milliseconds) / 1000;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(2000 * qSin(2 * M_PI * 440 * i / rate));
    return out.status() == QDataStream::Ok;
}

// A 2 s MJPEG AVI of GStreamer's test picture; empty when made, else why not.
QString makeVideo(const QString& path) {
    QProcess p;
    const QString pipeline = "-q videotestsrc num-buffers=50 ! video/x-raw,width=320,height=240,"
                             "framerate=25/1 ! jpegenc ! avimux ! filesink";
    p.start("gst-launch-1.0", QProcess::splitCommand(pipeline) << "location=" + path);
    if (!p.waitForFinished(30000) || p.exitCode() != 0 || !QFile::exists(path))
        return "gst-launch-1.0 (gstreamer1.0-tools) cannot make an MJPEG AVI here: " +
               p.errorString() + " " + p.readAllStandardError();
    return QString();
}

// True when no descriptor of this process is open on the file (or the system cannot tell).
bool released(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds("/proc/self/fd");
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == target) return false;
    return true;
}

// Starts the program on the AV page and forgets what start-up asked.
bool start(GuiFixture& app) {
    if (!app.start()) return false;
    app.prompt.clear();
    app.form->Other1Click();
    return true;
}

// Puts a clip on the current title and saves it.
void setClip(TForm1* f, bool on, const QString& path, const QString& type = "Video") {
    rk::fw::Dataset* t = f->titlesData();
    QVERIFY(t->setLogical("AV_CLIP", on).isOk());
    QVERIFY(t->setText("CLIP_FILE", path).isOk());
    QVERIFY(t->setText("CLIP_TYPE", type).isOk());
    QVERIFY(t->post().isOk());
}

// Plays `path` as the current title's clip; the player once the clip plays, else nullptr.
TfrmPlayer* play(GuiFixture& app, const QString& path) {
    setClip(app.form, true, path, "Audio");
    ctl<QPushButton>(app.form, "butPlay")->click();
    TfrmPlayer* player = appWindows().player;
    const bool playing = QTest::qWaitFor([player] { return player->player()->isPlaying(); }, 30000);
    return playing ? player : nullptr;
}

} // namespace

class ClipsTest : public QObject {
    Q_OBJECT

    QTemporaryDir clips;

private slots:
    void theGroupFollowsTheBoxAndPlayThePathAndTheHintShowsAllOfIt() {
        GuiFixture app;
        QVERIFY(start(app));
        TForm1* f = app.form;
        auto* group = ctl<QGroupBox>(f, "avGroup");
        auto* play = ctl<QPushButton>(f, "butPlay");
        auto* edit = ctl<DBEdit>(f, "DBEditClip");
        setClip(f, false, "");
        QVERIFY(!group->isEnabled());
        ctl<DBCheckBox>(f, "chkClip")->click();
        QVERIFY(group->isEnabled() && !play->isEnabled());
        QTest::keyClicks(edit, "/x");
        QVERIFY(play->isEnabled());
        edit->clear();
        QVERIFY(!play->isEnabled());

        // Another title shown: its box and path decide; a clear box keeps a stored path
        // from playing. Hovering shows the whole path, and no stale one on an empty edit.
        setClip(f, false, "/clips/stored.avi");
        QVERIFY(f->titlesData()->next().isOk());
        const QString path = "/media/archive/" + QString("a long folder name/").repeated(3) +
                             "The Trailer.avi"; // most of the field's 100 characters
        setClip(f, true, path);
        QVERIFY(play->isEnabled());
        auto hover = [edit] {
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), edit->mapToGlobal(QPointF(5, 5)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit, &move);
        };
        hover();
        QCOMPARE(edit->toolTip(), path);
        QVERIFY(f->titlesData()->prior().isOk());
        QVERIFY(!group->isEnabled() && !play->isEnabled());
        QVERIFY(f->titlesData()->next().isOk());
        QVERIFY(group->isEnabled() && play->isEnabled());
        setClip(f, true, "");
        hover();
        QVERIFY(edit->toolTip().isEmpty());
    }

    void browsingChoosesAPathAndKeepsTheLastFilter() {
        GuiFixture app;
        QVERIFY(start(app));
        TForm1* f = app.form;
        auto* browse = ctl<QPushButton>(f, "BitBtn5");
        auto* edit = ctl<DBEdit>(f, "DBEditClip");
        setClip(f, true, "", "");

        // Cancel changes nothing; OK puts the full path into the clip file and enables Play.
        browse->click();
        QVERIFY(f->titlesData()->state() == rk::fw::Dataset::State::Browse);
        QVERIFY(edit->text().isEmpty() && !ctl<QPushButton>(f, "butPlay")->isEnabled());
        const QString chosen = clips.filePath("theme.wav");
        app.prompt.answer(chosen);
        ctl<rk::fw::DBRadioGroup>(f, "RadioGroupClip")->button(1)->click(); // Audio
        browse->click();
        QCOMPARE(edit->text(), chosen);
        QVERIFY(f->titlesData()->isEditing() && ctl<QPushButton>(f, "butPlay")->isEnabled());
        QVERIFY(f->titlesData()->post().isOk());

        // A blank clip type keeps the filter and title of the last use.
        QVERIFY(f->titlesData()->setText("CLIP_TYPE", "").isOk());
        browse->click();
        QVERIFY(f->titlesData()->setText("CLIP_TYPE", "Video").isOk());
        browse->click();
        const auto& asked = app.prompt.asked;
        QCOMPARE(asked.size(), 4);
        QVERIFY(asked[1].text != asked[0].text && asked[1].caption != asked[0].caption);
        QCOMPARE(asked[2].text, asked[1].text);
        QCOMPARE(asked[2].caption, asked[1].caption);
        QVERIFY(asked[3].text != asked[1].text && asked[3].text != asked[0].text);
        QVERIFY(asked[1].text.contains("*.wav") && asked[3].text.contains("*.avi"));

        // A path the field cannot hold as it is, too long or outside the code page, is refused.
        QVERIFY(f->titlesData()->post().isOk());
        app.prompt.answer("/clips/" + QString("x").repeated(100) + ".avi");
        browse->click();
        app.prompt.answer("/clips/\u0424\u0438\u043b\u044c\u043c.avi");
        browse->click();
        QCOMPARE(app.prompt.messages().size(), 2);
        QCOMPARE(edit->text(), chosen);
        QVERIFY(!f->titlesData()->isModified());

        // A name typed without an extension is a video clip's.
        app.prompt.answer(clips.filePath("trailer"));
        browse->click();
        QCOMPARE(edit->text(), clips.filePath("trailer.avi"));
    }

    void aMissingFileIsNamedWithoutItsFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("this system") << "/nowhere/clips/Trailer 1.avi"
                                     << "Trailer 1.avi";
        QTest::newRow("another system") << "C:\\Clips\\Old Theme.wav"
                                        << "Old Theme.wav";
        QTest::newRow("drive only") << "D:tune.mid"
                                    << "tune.mid";
        QTest::newRow("a folder") << clips.path() << QFileInfo(clips.path()).fileName();
    }
    void aMissingFileIsNamedWithoutItsFolder() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        GuiFixture app;
        QVERIFY(start(app));
        TForm1* f = app.form;
        setClip(f, true, path);
        QCOMPARE(ctl<DBEdit>(f, "DBEditClip")->text(), path); // shown as stored
        ctl<QPushButton>(f, "butPlay")->click();
        QCOMPARE(app.prompt.messages().size(), 1);
        const QString text = app.prompt.messages().first();
        QVERIFY2(text.contains(": " + name + ". "), qPrintable(text));
        QVERIFY(!appWindows().player->isVisible());
    }

    // --- The player

    void closingAndPlayingToTheEndReleaseTheDeviceAndRestoreTheWindows() {
        const QString wav = clips.filePath("short theme.wav");
        QVERIFY(writeWav(wav, 500));
        GuiFixture app;
        QVERIFY(start(app));
        ctl<QAction>(app.form, "Navigator1")->trigger();
        QWidget* nav = appWindows().navForm;

        // Paused, then closed by its close box.
        TfrmPlayer* player = play(app, wav);
        QVERIFY(player);
        QCOMPARE(ctl<QLineEdit>(player, "txtFilename")->text(), wav);
        QVERIFY(app.form->isMinimized() && !nav->isVisible());
        QVERIFY(!ctl<QVideoWidget>(player, "vidScreen")->isVisible());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(!released(wav) || !QDir("/proc/self/fd").exists()); // held while open
        ctl<QToolButton>(player, "btPause")->click();
        player->close();
        QVERIFY(!player->player()->device() && released(wav));
        QVERIFY(!app.form->isMinimized() && nav->isVisible());

        // Played to its end.
        QVERIFY(play(app, wav));
        QTRY_VERIFY_WITH_TIMEOUT(!player->isVisible(), 30000);
        QVERIFY(!app.form->isMinimized() && nav->isVisible());
        QVERIFY(released(wav));
        QVERIFY(app.prompt.asked.isEmpty());
    }

    void theTrackBarFollowsAndSeeksAndOnlyTheEndClosesThePlayer() {
        const QString wav = clips.filePath("long theme.wav");
        QVERIFY(writeWav(wav, 8000));
        GuiFixture app;
        QVERIFY(start(app));
        TfrmPlayer* player = play(app, wav);
        QVERIFY(player);
        rk::player::MediaPlayer* device = player->player();
        auto* track = ctl<QSlider>(player, "trkProgress");
        auto button = [player](const char* name) { ctl<QToolButton>(player, name)->click(); };
        QVERIFY(qAbs(track->maximum() - 8000) < 100);
        QTRY_VERIFY(track->value() > 300);

        // Moved by the user while paused, the device follows; Back goes a tenth back.
        button("btPause");
        QVERIFY(!device->isPlaying());
        QTRY_COMPARE(qint64(track->value()), device->position()); // the track shows where it is
        const int before = track->value();
        track->triggerAction(QAbstractSlider::SliderPageStepAdd);
        track->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QTRY_VERIFY(qAbs(device->position() - (before + 1600)) < 100);
        button("btBack");
        QTRY_VERIFY(qAbs(device->position() - (before + 800)) < 100);

        // Stop, and a seek while playing, keep the window; playing on to the end closes it.
        button("btStop");
        QTest::qWait(300);
        QVERIFY(player->isVisible() && !device->isPlaying() && app.form->isMinimized());
        button("btPlay");
        QTRY_VERIFY(device->isPlaying());
        // The positions the device reports from the seek on: none lies in the stretch the
        // seek jumps over (one reported before the seek may still come). The clip has played
        // at most the few seconds the waits above allow, far from 7400.
        const qint64 from = device->position();
        QList<qint64> reported;
        const QMetaObject::Connection positions =
            connect(device->device(), &QMediaPlayer::positionChanged, player,
                    [&](qint64 at) { reported << at; });
        track->setValue(7400);
        QTRY_VERIFY_WITH_TIMEOUT(!player->isVisible(), 30000);
        disconnect(positions);
        QVERIFY(!app.form->isMinimized());
        QVERIFY2(
            std::any_of(reported.begin(), reported.end(), [](qint64 at) { return at >= 7400; }),
            qPrintable(QString::number(reported.size())));
        for (qint64 at : reported)
            QVERIFY2(at <= from + 1000 || at >= 7400, qPrintable(QString::number(at)));
    }

    void aClipThatCannotBePlayedIsToldAndNothingPlays_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named a video") << QByteArray("Not a video.\n").repeated(40);
        QTest::newRow("cut wave") << QByteArray("RIFF\x24\x10\0\0WAVEfmt \x10\0\0\0\1\0", 22);
        QTest::newRow("empty") << QByteArray();
    }
    void aClipThatCannotBePlayedIsToldAndNothingPlays() {
        QFETCH(QByteArray, bytes);
        const QString path = clips.filePath("broken.avi");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        const QString wav = clips.filePath("good.wav");
        QVERIFY(writeWav(wav, 300));
        GuiFixture app;
        QVERIFY(start(app));
        setClip(app.form, true, path);
        ctl<QPushButton>(app.form, "butPlay")->click();
        TfrmPlayer* player = appWindows().player;
        QTRY_VERIFY_WITH_TIMEOUT(!player->message().isEmpty(), 30000);
        QVERIFY(player->message().size() > QString("This clip cannot be played: ").size());
        QVERIFY(player->isVisible() && !player->player()->isPlaying());
        QVERIFY(!ctl<QToolButton>(player, "btPlay")->isEnabled());
        QVERIFY(!app.form->isMinimized());
        QTRY_VERIFY(released(path));

        // The program and the player go on: the next clip plays.
        QVERIFY(play(app, wav));
        QVERIFY(player->message().isEmpty());
    }

    // A codec nothing decodes (the AVI's MJPG renamed): the message names the clip's format.
    void aMissingDecoderIsNamedByTheClipsFormat() {
        const QString avi = clips.filePath("unknown.avi");
        const QString why = makeVideo(avi);
        if (!why.isEmpty()) QSKIP(qPrintable(why));
        QFile f(avi);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        QVERIFY(bytes.count("MJPG") > 0);
        bytes.replace("MJPG", "ZZZZ");
        QVERIFY(f.seek(0) && f.write(bytes) == bytes.size());
        f.close();
        GuiFixture app;
        QVERIFY(start(app));
        setClip(app.form, true, avi);
        ctl<QPushButton>(app.form, "butPlay")->click();
        TfrmPlayer* player = appWindows().player;
        QTRY_VERIFY_WITH_TIMEOUT(!player->message().isEmpty(), 30000);
        QVERIFY2(player->message().contains("\"ZZZZ\" video in an AVI file") &&
                     player->message().contains("gstreamer1.0-libav"),
                 qPrintable(player->message()));
    }

    void aVideoPlaysInsideThePlayer() {
        const QString avi = clips.filePath("trailer.avi");
        const QString why = makeVideo(avi);
        if (!why.isEmpty()) QSKIP(qPrintable(why));
        GuiFixture app;
        QVERIFY(start(app));
        TfrmPlayer* player = play(app, avi);
        QVERIFY(player);
        auto* screen = ctl<QVideoWidget>(player, "vidScreen");
        QVERIFY(screen->isVisible() && screen->width() >= 320 && screen->height() >= 240);
        QTRY_VERIFY_WITH_TIMEOUT(!player->isVisible(), 30000);
        QVERIFY(released(avi));
    }
};

QTEST_MAIN(ClipsTest)
#include "clips_test.moc"
