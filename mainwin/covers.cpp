// The cover panel of the Common page, the Lend/Return dialog and the Loans window.
#include "covers.h"

#include "catalogue_engine.h"
#include "cp1252.h"
#include "imagecheck.h"
#include "modal.h"
#include "prompt.h"
#include "record.h"
#include "sidedata.h"
#include "sideundo.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace rk::mainwin {

namespace {

using rk::catalogue::Face;

constexpr int kThumb = 160;
constexpr int kLarge = 640;

QString fromStd(const std::string& cp1252) {
    return QString::fromStdString(rk::cp1252::toUtf8(cp1252));
}

QString dateText(const rk::dbf::Date& d) {
    return d.year ? QDate(d.year, d.month, d.day).toString(Qt::ISODate) : QStringLiteral("-");
}

rk::dbf::Date toDate(const QDate& d) {
    return {d.year(), d.month(), d.day()};
}

rk::dbf::Date today() {
    return toDate(QDate::currentDate());
}

QString titleText(rk::catalogue::Catalogue& c, uint32_t recno) {
    std::string image;
    const auto* f = c.titles().field("TITLE");
    if (!f || !c.titles().dbf() || !c.titles().dbf()->readRecord(recno, &image)) return QString();
    return fromStd(std::string(rk::dbf::trimmedField(image, *f)));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The cover panel

CoverPanel::CoverPanel(rk::catalogue::Catalogue& catalogue, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue) {
    setObjectName(QStringLiteral("CoverPanel"));
    setAcceptDrops(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("CoverImage"));
    image_->setFixedSize(kThumb, kThumb * 3 / 2);
    image_->setAlignment(Qt::AlignCenter);
    image_->setFrameShape(QFrame::StyledPanel);
    image_->setWordWrap(true);
    image_->setToolTip(QStringLiteral("The cover: drop a picture here, paste one, or right-click "
                                      "for more; click to see it larger"));
    image_->setContextMenuPolicy(Qt::CustomContextMenu);
    image_->installEventFilter(this);
    connect(image_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Add Cover..."), this, &CoverPanel::addFromFile)
            ->setEnabled(!readOnly_);
        menu.addAction(QStringLiteral("Paste Cover"), this, &CoverPanel::pasteFromClipboard)
            ->setEnabled(!readOnly_);
        menu.addAction(QStringLiteral("Remove Cover"), this, &CoverPanel::removeCover)
            ->setEnabled(!readOnly_ && !picture_.isEmpty());
        menu.addAction(QStringLiteral("View Larger"), this, &CoverPanel::showLarger)
            ->setEnabled(!picture_.isEmpty());
        menu.exec(image_->mapToGlobal(at));
    });
    v->addWidget(image_);
    loan_ = new QLabel(this);
    loan_->setObjectName(QStringLiteral("LoanText"));
    loan_->setWordWrap(true);
    loan_->setMaximumWidth(kThumb);
    v->addWidget(loan_);
    v->addStretch(1);
}

void CoverPanel::setReadOnly(bool on) {
    readOnly_ = on;
    setAcceptDrops(!on);
}

void CoverPanel::showTitle(uint32_t recno) {
    recno_ = recno;
    refresh();
}

void CoverPanel::refresh() {
    picture_.clear();
    loan_->clear();
    image_->setPixmap(QPixmap());
    image_->setText(recno_ ? QStringLiteral("No cover") : QString());
    if (!recno_) return;
    auto& side = catalogue_.sideData();
    auto path = side.cover(recno_);
    if (!path) {
        // A side table another program damaged or replaced: said on the picture itself.
        image_->setText(QStringLiteral("The covers cannot be read: ") +
                        QString::fromStdString(path.status().message()));
    } else if (!path->empty()) {
        picture_ = QString::fromStdString(*path);
        const QString thumb = thumbnail(picture_, kThumb);
        QPixmap pix(thumb.isEmpty() ? picture_ : thumb);
        if (!pix.isNull()) {
            image_->setPixmap(
                pix.scaled(image_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        } else {
            image_->setText(QStringLiteral("The cover cannot be shown"));
        }
    }
    if (auto loan = side.currentLoan(recno_); loan && *loan) {
        const auto& l = **loan;
        QString text =
            QStringLiteral("On loan to %1 since %2").arg(fromStd(l.person), dateText(l.lent));
        if (l.due.year) text += QStringLiteral(", due %1").arg(dateText(l.due));
        if (l.overdue(today())) text += QStringLiteral(" (overdue)");
        loan_->setText(text);
    }
}

QString CoverPanel::thumbnail(const QString& picture, int size) {
    const QFileInfo info(picture);
    const QString folder = info.absolutePath() + QStringLiteral("/thumbs");
    const QString thumb =
        folder + QLatin1Char('/') + info.fileName() + QStringLiteral("-%1.png").arg(size);
    // A thumbnail older than its picture was made for an earlier picture of that name.
    const QFileInfo made(thumb);
    if (made.exists() && made.lastModified() >= info.lastModified()) return thumb;
    QImageReader reader(picture);
    const QSize full = reader.size();
    if (full.isValid() && full.width() <= size && full.height() <= size) return QString();
    if (full.isValid()) reader.setScaledSize(full.scaled(size, size, Qt::KeepAspectRatio));
    const QImage scaled = reader.read();
    if (scaled.isNull() || !QDir().mkpath(folder)) return QString();
    QSaveFile out(thumb);
    if (!out.open(QIODevice::WriteOnly) || !scaled.save(&out, "PNG") || !out.commit())
        return QString();
    return thumb;
}

bool CoverPanel::storeFile(const QString& file) {
    // Beyond the engine's check of the header: the picture must decode.
    QImageReader reader(file);
    if (QFileInfo(file).size() <= qint64(rk::catalogue::kMaxImageBytes) && !reader.canRead()) {
        rk::fw::showStatus(this, QStringLiteral("The cover could not be added."),
                           rk::Status::invalid(file.toStdString() + " is not a picture"));
        return false;
    }
    rk::catalogue::CoverRecording step(catalogue_, recno_);
    const rk::Status s = catalogue_.sideData().setCover(recno_, file.toStdString());
    if (!s) {
        rk::fw::showStatus(this, QStringLiteral("The cover could not be added."), s);
        return false;
    }
    push(step, "Add Cover");
    refresh();
    return true;
}

bool CoverPanel::storeImage(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        rk::fw::showStatus(this, QStringLiteral("The cover could not be added."),
                           rk::Status::invalid("the picture cannot be read"));
        return false;
    }
    rk::catalogue::CoverRecording step(catalogue_, recno_);
    const rk::Status s = catalogue_.sideData().setCoverBytes(
        recno_, std::string_view(bytes.constData(), size_t(bytes.size())), "the pasted picture");
    if (!s) {
        rk::fw::showStatus(this, QStringLiteral("The cover could not be added."), s);
        return false;
    }
    push(step, "Paste Cover");
    refresh();
    return true;
}

bool CoverPanel::store(const QMimeData* mime) {
    if (!recno_ || !mime || readOnly_) return false;
    if (mime->hasUrls()) {
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) return storeFile(url.toLocalFile());
    }
    if (mime->hasImage()) return storeImage(qvariant_cast<QImage>(mime->imageData()));
    if (mime->hasUrls()) {
        rk::fw::inform(this, QStringLiteral("Only a picture itself, or a picture file on this "
                                            "computer, can become a cover: save the picture from "
                                            "the web page first, then drop the file here."));
    }
    return false;
}

void CoverPanel::addFromFile() {
    if (!recno_ || readOnly_) return;
    const QString file = rk::fw::prompt().openFileName(
        this, QStringLiteral("Add Cover"), QString(),
        QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.webp *.bmp);;All files (*)"));
    if (!file.isEmpty()) storeFile(file);
}

void CoverPanel::pasteFromClipboard() {
    if (readOnly_) return;
    if (!store(QApplication::clipboard()->mimeData()) && recno_ &&
        !QApplication::clipboard()->mimeData()->hasUrls())
        rk::fw::inform(this, QStringLiteral("The clipboard holds no picture."));
}

void CoverPanel::removeCover() {
    if (!recno_ || picture_.isEmpty() || readOnly_) return;
    if (!rk::fw::confirm(this, QStringLiteral("Remove the cover of this title?"))) return;
    rk::catalogue::CoverRecording step(catalogue_, recno_);
    if (const rk::Status s = catalogue_.sideData().removeCover(recno_); !s)
        rk::fw::showStatus(this, QStringLiteral("The cover could not be removed."), s);
    else
        push(step, "Remove Cover");
    refresh();
}

void CoverPanel::push(rk::catalogue::CoverRecording& step, const char* name) {
    if (!undo_) return;
    if (auto done = step.finish(name)) undo_->push(std::move(done));
}

void CoverPanel::showLarger() {
    if (picture_.isEmpty()) return;
    auto* view = new QDialog(window());
    view->setObjectName(QStringLiteral("CoverView"));
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(titleText(catalogue_, recno_));
    auto* label = new QLabel(view);
    const QString thumb = thumbnail(picture_, kLarge);
    label->setPixmap(QPixmap(thumb.isEmpty() ? picture_ : thumb));
    auto* v = new QVBoxLayout(view);
    v->addWidget(label);
    view->show();
}

void CoverPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (recno_ && (event->mimeData()->hasUrls() || event->mimeData()->hasImage()))
        event->acceptProposedAction();
}

void CoverPanel::dropEvent(QDropEvent* event) {
    if (store(event->mimeData())) event->acceptProposedAction();
}

bool CoverPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == image_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        showLarger();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Lend and return

bool lendOrReturn(QWidget* owner, rk::catalogue::Catalogue& catalogue, uint32_t recno,
                  rk::catalogue::UndoStack* undo) {
    if (!recno) return false;
    auto& side = catalogue.sideData();
    auto current = side.currentLoan(recno);
    if (!current) {
        rk::fw::showStatus(owner, QStringLiteral("The loans cannot be read."), current.status());
        return false;
    }
    const QString title = titleText(catalogue, recno);
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("LendDialog"));
    auto* body = new QWidget(&dialog);
    auto* form = new QFormLayout(body);
    auto* date = new QDateEdit(QDate::currentDate(), body);
    date->setObjectName(QStringLiteral("LoanDate"));
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* ok = new QPushButton(body);
    ok->setObjectName(QStringLiteral("LoanOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), body);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QLineEdit* person = nullptr;
    QCheckBox* hasDue = nullptr;
    QDateEdit* due = nullptr;
    if (*current) {
        dialog.setWindowTitle(QStringLiteral("Return"));
        form->addRow(
            new QLabel(QStringLiteral("\"%1\" is out on loan to %2 since %3.")
                           .arg(title, fromStd((*current)->person), dateText((*current)->lent)),
                       body));
        form->addRow(QStringLiteral("Returned on"), date);
        ok->setText(QStringLiteral("Return"));
    } else {
        dialog.setWindowTitle(QStringLiteral("Lend"));
        form->addRow(new QLabel(QStringLiteral("Lend \"%1\"").arg(title), body));
        person = new QLineEdit(body);
        person->setObjectName(QStringLiteral("LoanPerson"));
        person->setMaxLength(50);
        form->addRow(QStringLiteral("To"), person);
        form->addRow(QStringLiteral("On"), date);
        hasDue = new QCheckBox(QStringLiteral("Due back"), body);
        hasDue->setObjectName(QStringLiteral("LoanHasDue"));
        due = new QDateEdit(QDate::currentDate().addDays(14), body);
        due->setObjectName(QStringLiteral("LoanDue"));
        due->setCalendarPopup(true);
        due->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        due->setEnabled(false);
        QObject::connect(hasDue, &QCheckBox::toggled, due, &QWidget::setEnabled);
        form->addRow(hasDue, due);
        ok->setText(QStringLiteral("Lend"));
    }
    rk::fw::layOutDialog(&dialog, body, {ok, cancel});
    if (rk::fw::execModal(&dialog) != QDialog::Accepted) return false;
    rk::catalogue::LoanRecording step(catalogue, recno);
    rk::Status s;
    if (*current) {
        s = side.giveBack(recno, toDate(date->date()));
    } else {
        auto name = rk::cp1252::fromUtf8(person->text().trimmed().toStdString());
        s = name ? side.lend(recno, *name, toDate(date->date()),
                             hasDue->isChecked() ? toDate(due->date()) : rk::dbf::Date{})
                 : name.status();
    }
    if (!s) {
        rk::fw::showStatus(owner,
                           *current ? QStringLiteral("The title could not be taken back.")
                                    : QStringLiteral("The title could not be lent."),
                           s);
        return false;
    }
    if (undo)
        if (auto done = step.finish(*current ? rk::catalogue::LoanChange::Return
                                             : rk::catalogue::LoanChange::Lend))
            undo->push(std::move(done));
    return true;
}

// ---------------------------------------------------------------------------------------------
// The Loans window

LoansWindow::LoansWindow(rk::catalogue::Catalogue& catalogue, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue) {
    setObjectName(QStringLiteral("LoansWindow"));
    setWindowTitle(QStringLiteral("Loans"));
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("LoansTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Title"), QStringLiteral("Lent to"),
                                       QStringLiteral("Since"), QStringLiteral("Due"),
                                       QStringLiteral("Record")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    rk::fw::layOutDialog(this, table_, {close});
    resize(640, 360);
    reload();
}

void LoansWindow::reload() {
    auto loans = catalogue_.sideData().loansOut(today());
    table_->setRowCount(0);
    if (!loans) {
        rk::fw::showStatus(this, QStringLiteral("The loans cannot be read."), loans.status());
        return;
    }
    table_->setRowCount(int(loans->size()));
    int row = 0;
    for (const auto& l : *loans) {
        const QStringList cells = {titleText(catalogue_, l.recno), fromStd(l.person),
                                   dateText(l.lent), dateText(l.due), QString::number(l.recno)};
        const bool late = l.overdue(today());
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (late) {
                item->setBackground(QColor(255, 220, 220));
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setToolTip(QStringLiteral("Overdue"));
            }
            table_->setItem(row, c, item);
        }
        ++row;
    }
}

} // namespace rk::mainwin
