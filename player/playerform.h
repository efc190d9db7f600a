// TfrmPlayer, the "A/V Player": plays the current title's clip. A small window that stays
// on top, centred on the screen, created once at start-up and shown and closed as needed;
// it is not modal.
//
// Showing it opens the device on the clip and, once the clip is loaded, sets the track bar
// to its length, starts the progress timer, minimizes the program's other windows and plays.
// The track bar follows the position every 100 ms; moving it seeks. The window closes by
// itself when the clip has played to its end (not on Stop, Pause or a seek). Closing it, by
// the end of the clip or by its close box, brings the program's windows back and then
// releases the device. Pictures of a video show inside the window.
//
// A clip the platform cannot play is told in the window ("This clip cannot be played: "
// and the media system's reason); nothing plays, the device is released and the program's
// windows stay on the screen.
#pragma once

#include "mediaplayer.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QVideoWidget;

class TfrmPlayer : public QWidget {
    Q_OBJECT

public:
    // `program` is the program's main window, minimized while a clip plays. The player has no
    // parent, so that it stays on the screen while the program's windows are minimized.
    explicit TfrmPlayer(QWidget* program);
    ~TfrmPlayer() override;

    // Shows the window playing `fileName` (the main window's clip path). A window that is
    // already showing closes its clip first and opens the new one afresh.
    void playClip(const QString& fileName);

    // What the window tells about a clip it cannot play; empty otherwise.
    QString message() const;
    rk::player::MediaPlayer* player() const { return mmPlayer; }

    // --- Handlers
    void FormShow();
    void timProgressTimer();
    void trkProgressChange(int position);
    void mmPlayerNotify(rk::player::Notify value);
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void mmPlayerOpened();
    void mmPlayerFailed(const QString& reason);
    // For a failure that says a decoder is missing: which formats the clip holds; else empty.
    static QString missingDecoderText(const QString& reason, const QString& fileName);
    void fitToClip(bool video);
    void minimizeProgram();
    void restoreProgram();

    rk::player::MediaPlayer* mmPlayer = nullptr;
    QSlider* trkProgress = nullptr;
    QLineEdit* txtFilename = nullptr;
    QTimer* timProgress = nullptr;
    QVideoWidget* vidScreen = nullptr;
    QLabel* lblMessage = nullptr;

    QPointer<QWidget> program_;
    QString clipFile_;  // the path FormShow puts into txtFilename
    QSize pictureSize_; // of the video's pictures, once the first has come
    bool minimized_ = false;
    Qt::WindowStates programState_;
    QList<QPointer<QWidget>> hidden_; // the program's other windows, hidden while playing
};
