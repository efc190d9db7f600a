#include "mediaplayer.h"

#include <QAudioOutput>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVideoWidget>

#include <algorithm>
#include <utility>

namespace rk::player {

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto button = [this, row](const char* name, const QString& caption, QStyle::StandardPixmap icon,
                              void (MediaPlayer::*action)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(caption);
        b->setAccessibleName(caption);
        b->setIconSize(QSize(20, 20));
        connect(b, &QToolButton::clicked, this, action);
        row->addWidget(b);
        return b;
    };
    btPlay_ = button("btPlay", tr("Play"), QStyle::SP_MediaPlay, &MediaPlayer::play);
    btPause_ = button("btPause", tr("Pause"), QStyle::SP_MediaPause, &MediaPlayer::pause);
    btStop_ = button("btStop", tr("Stop"), QStyle::SP_MediaStop, &MediaPlayer::stop);
    btStep_ = button("btStep", tr("Step"), QStyle::SP_MediaSeekForward, &MediaPlayer::step);
    btBack_ = button("btBack", tr("Back"), QStyle::SP_MediaSeekBackward, &MediaPlayer::back);
    row->addStretch(1);
    updateButtons();
}

MediaPlayer::~MediaPlayer() {
    close();
}

void MediaPlayer::setDisplay(QVideoWidget* display) {
    display_ = display;
    if (device_) device_->setVideoOutput(display);
}

// Every open makes a device of its own. The backend goes on reporting about a file after
// it has been closed (a fault is often reported twice, the second time late), and such a
// late report must not reach the next clip: the reports of a closed device are dropped.
void MediaPlayer::open() {
    close();
    device_ = new QMediaPlayer(this);
    // Without an audio output the backend cannot build its pipeline, not even for a clip
    // without sound.
    device_->setAudioOutput(new QAudioOutput(device_));
    if (display_) device_->setVideoOutput(display_);
    const quint64 generation = ++generation_;
    // Queued: the handlers may close the device, which the backend does not expect from
    // inside its own report.
    connect(
        device_, &QMediaPlayer::mediaStatusChanged, this,
        [this, generation](QMediaPlayer::MediaStatus status) {
            if (generation == generation_) mediaStatusChanged(status);
        },
        Qt::QueuedConnection);
    connect(
        device_, &QMediaPlayer::errorOccurred, this,
        [this, generation](QMediaPlayer::Error, const QString& reason) {
            if (generation == generation_) deviceError(reason);
        },
        Qt::QueuedConnection);
    connect(device_, &QMediaPlayer::playbackStateChanged, this, &MediaPlayer::updateButtons);
    state_ = State::Opening;
    device_->setSource(QUrl::fromLocalFile(fileName_));
}

void MediaPlayer::close() {
    state_ = State::Closed;
    playPending_ = false;
    ++generation_;
    if (QMediaPlayer* device = std::exchange(device_, nullptr)) {
        disconnect(device, nullptr, this, nullptr);
        device->stop();
        device->setSource(QUrl()); // lets go of the file and the sound output
        device->setVideoOutput(nullptr);
        device->deleteLater();
    }
    updateButtons();
}

bool MediaPlayer::isPlaying() const {
    return isOpen() && device_->playbackState() == QMediaPlayer::PlayingState;
}

bool MediaPlayer::hasVideo() const {
    return isOpen() && device_->hasVideo();
}

qint64 MediaPlayer::length() const {
    return isOpen() ? device_->duration() : 0;
}

qint64 MediaPlayer::position() const {
    return isOpen() ? device_->position() : 0;
}

void MediaPlayer::play() {
    if (!isOpen()) return;
    playPending_ = true;
    device_->play();
}

void MediaPlayer::pause() {
    if (!isPlaying()) return;
    device_->pause();
    endPlay(Notify::Superseded);
}

void MediaPlayer::stop() {
    if (!isOpen()) return;
    device_->stop();
    endPlay(Notify::Aborted);
}

void MediaPlayer::step() {
    seek(position() + length() / 10);
}

void MediaPlayer::back() {
    seek(position() - length() / 10);
}

void MediaPlayer::seek(qint64 milliseconds) {
    if (!isOpen()) return;
    device_->setPosition(std::clamp<qint64>(milliseconds, 0, std::max<qint64>(0, length())));
}

void MediaPlayer::mediaStatusChanged(QMediaPlayer::MediaStatus status) {
    if (!device_ || status != device_->mediaStatus()) return; // out of date
    switch (status) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferedMedia:
        if (state_ == State::Opening) {
            state_ = State::Open;
            updateButtons();
            emit opened();
        }
        break;
    case QMediaPlayer::EndOfMedia:
        endPlay(Notify::Successful);
        break;
    case QMediaPlayer::InvalidMedia:
        deviceError(device_->errorString());
        break;
    default:
        break;
    }
}

// The backend often reports one fault twice (the decoder's reason, then a general stream
// error): the first report closes the device, which drops the later ones.
void MediaPlayer::deviceError(const QString& reason) {
    if (state_ == State::Closed) return;
    const bool playing = playPending_;
    close();
    if (playing) emit notify(Notify::Failure);
    emit failed(reason.isEmpty() ? tr("the media system gave no reason.") : reason);
}

void MediaPlayer::endPlay(Notify value) {
    if (!playPending_) return;
    playPending_ = false;
    emit notify(value);
}

void MediaPlayer::updateButtons() {
    const bool open = isOpen();
    const auto state = open ? device_->playbackState() : QMediaPlayer::StoppedState;
    btPlay_->setEnabled(open && state != QMediaPlayer::PlayingState);
    btPause_->setEnabled(open && state == QMediaPlayer::PlayingState);
    btStop_->setEnabled(open && state != QMediaPlayer::StoppedState);
    btStep_->setEnabled(open);
    btBack_->setEnabled(open);
}

} // namespace rk::player
