// The media player control: a row of Play, Pause, Stop, Step and Back buttons over one
// clip file played by Qt Multimedia (a QMediaPlayer with its audio output, and a video
// display when one is given).
//
// The window that holds it works it the way one works a multimedia device: name a file
// and open it, read the length and the position in milliseconds, ask whether it plays,
// play, seek, close. Opening is asynchronous: opened() follows once the clip's length is
// known, failed() when the platform cannot play the file (no decoder for its format, a
// damaged file, no way to output its sound).
//
// States and the calls that move between them:
//
//     Closed --open()--> Opening --(loaded)--> Open: stopped, playing or paused
//       ^                   |                    |
//       +----- close() -----+--------------------+
//       +----------- a failure (failed(), then closed) ------+
//
// A play ends with a notification: Successful when the clip has played to its end,
// Superseded when Pause interrupts it, Aborted when Stop does, Failure when the device
// fails. Seeking while playing does not end the play; the clip plays on from the new
// position.
#pragma once

#include <QMediaPlayer>
#include <QString>
#include <QWidget>

class QToolButton;
class QVideoWidget;

namespace rk::player {

enum class Notify { Successful, Superseded, Aborted, Failure };

class MediaPlayer : public QWidget {
    Q_OBJECT

public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // Where a clip with pictures shows them.
    void setDisplay(QVideoWidget* display);

    QString fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

    // Opens the device on fileName(); opened() or failed() follows.
    void open();
    // Stops and releases the file and the sound output. Nothing follows.
    void close();

    bool isOpen() const { return state_ == State::Open; }
    bool isPlaying() const;
    bool hasVideo() const;
    qint64 length() const;   // milliseconds
    qint64 position() const; // milliseconds

    void play();
    void pause();
    void stop();
    // Step and Back move a tenth of the clip's length forward or back.
    void step();
    void back();
    void seek(qint64 milliseconds);

    // The device while one is open or opening, for a look at it from outside (tests).
    QMediaPlayer* device() const { return device_; }

signals:
    void opened();
    void failed(const QString& reason);
    void notify(rk::player::Notify value);

private:
    enum class State { Closed, Opening, Open };
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);
    void deviceError(const QString& reason);
    void updateButtons();
    void endPlay(Notify value);

    QMediaPlayer* device_ = nullptr;
    QVideoWidget* display_ = nullptr;
    quint64 generation_ = 0; // of the device open now; reports of older ones are dropped
    QToolButton *btPlay_, *btPause_, *btStop_, *btStep_, *btBack_;
    QString fileName_;
    State state_ = State::Closed;
    bool playPending_ = false; // a play command runs and will notify when it ends
};

} // namespace rk::player
