#include "playerform.h"

#include "clipformat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

#include <algorithm>
#include <climits>

using rk::player::MediaPlayer;
using rk::player::Notify;

TfrmPlayer::TfrmPlayer(QWidget* program)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      program_(program) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(QStringLiteral("A/V Player"));
    // The program ends with its main window, whether a clip plays or not.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);

    vidScreen = new QVideoWidget(this);
    vidScreen->setObjectName(QStringLiteral("vidScreen"));
    vidScreen->setMinimumSize(320, 240);
    vidScreen->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    vidScreen->hide();
    v->addWidget(vidScreen, 1);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->hide();
    v->addWidget(lblMessage);

    txtFilename = new QLineEdit(this);
    txtFilename->setObjectName(QStringLiteral("txtFilename"));
    txtFilename->setReadOnly(true);
    txtFilename->setAccessibleName(QStringLiteral("Clip file"));
    v->addWidget(txtFilename);

    trkProgress = new QSlider(Qt::Horizontal, this);
    trkProgress->setObjectName(QStringLiteral("trkProgress"));
    trkProgress->setTickPosition(QSlider::TicksBelow);
    trkProgress->setTracking(false); // a drag seeks once, where it is let go
    trkProgress->setAccessibleName(QStringLiteral("Position"));
    trkProgress->setEnabled(false);
    v->addWidget(trkProgress);

    mmPlayer = new MediaPlayer(this);
    mmPlayer->setObjectName(QStringLiteral("mmPlayer"));
    mmPlayer->setDisplay(vidScreen);
    mmPlayer->setEnabled(false);
    v->addWidget(mmPlayer);

    timProgress = new QTimer(this);
    timProgress->setObjectName(QStringLiteral("timProgress"));
    timProgress->setInterval(100);

    setMinimumWidth(380);
    connect(timProgress, &QTimer::timeout, this, &TfrmPlayer::timProgressTimer);
    connect(trkProgress, &QSlider::valueChanged, this, &TfrmPlayer::trkProgressChange);
    connect(mmPlayer, &MediaPlayer::notify, this, &TfrmPlayer::mmPlayerNotify);
    connect(mmPlayer, &MediaPlayer::opened, this, &TfrmPlayer::mmPlayerOpened);
    connect(mmPlayer, &MediaPlayer::failed, this, &TfrmPlayer::mmPlayerFailed);
    // The pictures' own size is known with the first of them.
    connect(vidScreen->videoSink(), &QVideoSink::videoFrameChanged, this,
            [this](const QVideoFrame& frame) {
                if (frame.size() == pictureSize_ || !isVisible() || !vidScreen->isVisible()) return;
                pictureSize_ = frame.size();
                fitToClip(true);
            });
}

TfrmPlayer::~TfrmPlayer() {
    timProgress->stop();
    restoreProgram();
}

void TfrmPlayer::playClip(const QString& fileName) {
    if (isVisible()) close();
    clipFile_ = fileName;
    show();
    raise();
    activateWindow();
}

QString TfrmPlayer::message() const {
    return lblMessage->isVisible() ? lblMessage->text() : QString();
}

void TfrmPlayer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmPlayer::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

// --- Handlers

void TfrmPlayer::FormShow() {
    lblMessage->clear();
    lblMessage->hide();
    txtFilename->setText(clipFile_);
    pictureSize_ = QSize();
    mmPlayer->setEnabled(true);
    trkProgress->setEnabled(true);
    {
        const QSignalBlocker quiet(trkProgress);
        trkProgress->setRange(0, 0);
    }
    fitToClip(false);
    mmPlayer->setFileName(txtFilename->text());
    mmPlayer->open(); // mmPlayerOpened or mmPlayerFailed follows
}

// The clip is loaded: its length is known and it can play.
void TfrmPlayer::mmPlayerOpened() {
    if (!isVisible()) return;
    const int length = int(std::min<qint64>(mmPlayer->length(), INT_MAX));
    {
        const QSignalBlocker quiet(trkProgress);
        trkProgress->setRange(0, length);
        trkProgress->setValue(0);
    }
    trkProgress->setTickInterval(std::max(1, length / 10));
    trkProgress->setPageStep(std::max(1, length / 10));
    trkProgress->setSingleStep(std::max(1, length / 100));
    fitToClip(mmPlayer->hasVideo());
    timProgress->start();
    minimizeProgram();
    mmPlayer->play();
}

// A decoder the media system lacks is named by the clip's own header, with the package that
// brings the common ones.
QString TfrmPlayer::missingDecoderText(const QString& reason, const QString& fileName) {
    static const QStringList kMissing = {
        QStringLiteral("missing a plug-in"), QStringLiteral("missing plug"),
        QStringLiteral("no suitable plugins"), QStringLiteral("codec not found"),
        QStringLiteral("decoder")};
    if (std::none_of(kMissing.begin(), kMissing.end(),
                     [&](const QString& k) { return reason.contains(k, Qt::CaseInsensitive); }))
        return QString();
    const std::string format =
        rk::player::readClipFormatOfFile(QFile::encodeName(fileName).toStdString()).describe();
    return QStringLiteral("no decoder is installed for %1. On Debian, the package "
                          "gstreamer1.0-libav plays the common formats.")
        .arg(format.empty()
                 ? QStringLiteral("its format (the file's type is not known here)")
                 : QStringLiteral("one of its formats: ") + QString::fromStdString(format));
}

void TfrmPlayer::mmPlayerFailed(const QString& reason) {
    timProgress->stop();
    trkProgress->setEnabled(false);
    mmPlayer->setEnabled(false);
    const QString missing = missingDecoderText(reason, mmPlayer->fileName());
    lblMessage->setText(QStringLiteral("This clip cannot be played: ") +
                        (missing.isEmpty() ? reason : missing));
    lblMessage->show();
    fitToClip(false);
    restoreProgram();
}

// Setting the track bar here does not seek: only the user's moves do.
void TfrmPlayer::timProgressTimer() {
    if (!mmPlayer->isOpen() || trkProgress->isSliderDown()) return;
    const QSignalBlocker quiet(trkProgress);
    trkProgress->setValue(int(std::min<qint64>(mmPlayer->position(), INT_MAX)));
}

void TfrmPlayer::trkProgressChange(int position) {
    mmPlayer->seek(position);
}

void TfrmPlayer::mmPlayerNotify(Notify value) {
    if (value == Notify::Successful) close();
}

void TfrmPlayer::FormClose() {
    timProgress->stop();
    restoreProgram();
    mmPlayer->close();
    mmPlayer->setEnabled(false);
    trkProgress->setEnabled(false);
    vidScreen->hide();
    if (program_ && program_->isVisible()) program_->activateWindow();
}

// --- Size, place and the program's windows

// The window takes the size its controls and the pictures ask for, within most of the
// screen, and sits in the screen's centre.
void TfrmPlayer::fitToClip(bool video) {
    vidScreen->setVisible(video);
    vidScreen->updateGeometry(); // its size hint follows the pictures, unannounced
    layout()->activate();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(sizeHint().expandedTo(minimumSizeHint()).boundedTo(area.size() * 0.8));
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TfrmPlayer::minimizeProgram() {
    if (minimized_) return;
    minimized_ = true;
    hidden_.clear();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || w == program_ || !w->isVisible()) continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool) continue;
        hidden_ << w;
        w->hide();
    }
    if (program_) {
        programState_ = program_->windowState();
        program_->setWindowState((programState_ & ~Qt::WindowActive) | Qt::WindowMinimized);
    }
}

void TfrmPlayer::restoreProgram() {
    if (!minimized_) return;
    minimized_ = false;
    if (program_) program_->setWindowState(programState_ & ~Qt::WindowMinimized);
    for (const QPointer<QWidget>& w : std::as_const(hidden_))
        if (w) w->show();
    hidden_.clear();
}
