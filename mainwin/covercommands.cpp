// Covers and loans: the Lend/Return command, the Loans window, the current title's cover and
// loan on the Common page, and the question before a title on loan is deleted.
#include "form1.h"

#include "covers.h"
#include "cp1252.h"
#include "prompt.h"
#include "sidedata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

void TForm1::showCoverAndLoan() {
    if (!coverPanel_) return;
    const bool current = Table1 && !Table1->isEmpty() && !Table1->eof() &&
                         Table1->state() != rk::fw::Dataset::State::Insert;
    coverPanel_->showTitle(current ? Table1->recNo() : 0);
}

void TForm1::LendReturn1Click() {
    if (!Table1 || Table1->isEmpty() || Table1->state() == rk::fw::Dataset::State::Insert) return;
    if (rk::mainwin::lendOrReturn(this, catalogue(), Table1->recNo(), undo_.get())) {
        showCoverAndLoan();
        if (loansWindow_) loansWindow_->reload();
    }
}

void TForm1::Loans1Click() {
    if (!loansWindow_) loansWindow_ = new rk::mainwin::LoansWindow(catalogue(), this);
    loansWindow_->reload();
    loansWindow_->show();
    loansWindow_->raise();
}

// A title out on loan is deleted only when the user says so, knowing who has it.
bool TForm1::askDeleteOnLoan() {
    if (!Table1 || Table1->isEmpty() || Table1->state() == rk::fw::Dataset::State::Insert)
        return true;
    auto loan = catalogue().sideData().currentLoan(Table1->recNo());
    if (!loan || !*loan) return true;
    return rk::fw::confirm(
        this, QStringLiteral("This title is out on loan to %1. Delete it all the same?")
                  .arg(QString::fromStdString(rk::cp1252::toUtf8((*loan)->person))));
}

// What the catalogue found stale in the covers and loans (a catalogue changed by another
// program) is told once, after the work that found it, in one box.
void TForm1::sideDataNotice(const std::string& what) {
    if (sideNotices_.isEmpty())
        QTimer::singleShot(0, this, [this] {
            const QStringList notices = std::exchange(sideNotices_, {});
            rk::fw::prompt().notify(this, notices.join(QLatin1Char('\n')),
                                    QStringLiteral("Covers and Loans"), rk::fw::Icon::Information);
        });
    sideNotices_ << QString::fromStdString(rk::cp1252::toUtf8(what));
}

// File, "Export Pocket Catalogue...": when titles have covers, the page may show them, as
// small pictures in a folder beside it (made from the cached thumbnails).
std::function<std::string(uint32_t recno)> TForm1::offerPocketCovers(const QString& file) {
    if (!catalogue().sideData().hasCovers()) return {};
    const QFileInfo info(file);
    const QString folderName = info.completeBaseName() + QStringLiteral(" covers");
    if (!rk::fw::confirm(this, QStringLiteral("Show the covers in the pocket catalogue too?\n\n"
                                              "They are written as small pictures into the "
                                              "folder \"%1\" beside the page: copy the two "
                                              "together.")
                                   .arg(folderName)))
        return {};
    constexpr int kPocketThumb = 96;
    const QString folder = info.absolutePath() + QLatin1Char('/') + folderName;
    const QString address = QString::fromLatin1(QUrl::toPercentEncoding(folderName));
    return [this, folder, address](uint32_t recno) -> std::string {
        auto path = catalogue().sideData().cover(recno);
        if (!path || path->empty()) return {};
        const QString picture = QString::fromStdString(*path);
        const QString thumb = rk::mainwin::CoverPanel::thumbnail(picture, kPocketThumb);
        const QFileInfo source(thumb.isEmpty() ? picture : thumb);
        const QFileInfo target(folder + QLatin1Char('/') + source.fileName());
        if (!QDir().mkpath(folder)) return {};
        if (target.exists() && target.lastModified() < source.lastModified())
            QFile::remove(target.filePath());
        if (!target.exists() && !QFile::copy(source.filePath(), target.filePath())) return {};
        return (address + QLatin1Char('/') +
                QString::fromLatin1(QUrl::toPercentEncoding(source.fileName())))
            .toStdString();
    };
}
