// Covers and loans in the main window: a cover pasted or dropped is stored for the current
// title and shown on it alone; what is not a picture is refused with a message; Lend/Return
// lends and takes back through its dialog, the page and the Loans window show the loan; a
// title on loan is deleted only after a question.
#include "guifixture.h"

#include "covers.h"
#include "modal.h"
#include "record.h"
#include "sidedata.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>

using rk::fw::Button;

namespace {

QImage picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    return image;
}

bool showsCover(TForm1* f) {
    const QLabel* label = ctl<QLabel>(f, "CoverImage");
    return !label->pixmap().isNull();
}

QString coverPath(TForm1* f, uint32_t recno) {
    auto path = f->catalogue().sideData().cover(recno);
    return path ? QString::fromStdString(*path) : QStringLiteral("<error>");
}

void drop(TForm1* f, QMimeData* mime) {
    auto* panel = ctl<rk::mainwin::CoverPanel>(f, "CoverPanel");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &event);
}

// Lend/Return with `work` filling in its dialog before OK.
void lendOrReturn(TForm1* f, const std::function<void(QDialog&)>& work) {
    bool ran = false;
    rk::fw::setModalRunner([&](QDialog& d) {
        ran = true;
        work(d);
        d.findChild<QPushButton*>("LoanOk")->click();
    });
    ctl<QAction>(f, "LendReturn1")->trigger();
    rk::fw::setModalRunner(nullptr);
    QVERIFY(ran);
}

} // namespace

class CoversTest : public QObject {
    Q_OBJECT

private slots:
    void pastedAndDroppedCoversStayWithTheirTitles() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(5).isOk());
        QVERIFY(!showsCover(f));

        QApplication::clipboard()->setImage(picture(40, 60));
        ctl<rk::mainwin::CoverPanel>(f, "CoverPanel")->pasteFromClipboard();
        QVERIFY(!coverPath(f, 5).isEmpty());
        QVERIFY(showsCover(f));

        // A file dropped from a file manager, on another title.
        QVERIFY(f->titlesData()->goTo(6).isOk());
        QVERIFY(!showsCover(f));
        const QString file = app.root.filePath("poster.jpg");
        QVERIFY(picture(300, 450).save(file, "JPEG"));
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(file)});
        drop(f, mime);
        delete mime;
        QVERIFY(coverPath(f, 6).endsWith(".jpg"));
        QVERIFY(showsCover(f));
        QVERIFY(coverPath(f, 6) != coverPath(f, 5));
        // Its thumbnail is made once and kept.
        const QDir thumbs(QFileInfo(coverPath(f, 6)).absolutePath() + "/thumbs");
        const QStringList made = thumbs.entryList(QDir::Files);
        QCOMPARE(made.size(), 1);
        const QDateTime at = QFileInfo(thumbs.filePath(made.front())).lastModified();
        QVERIFY(f->titlesData()->goTo(5).isOk());
        QVERIFY(f->titlesData()->goTo(6).isOk());
        QCOMPARE(QFileInfo(thumbs.filePath(made.front())).lastModified(), at);
        QCOMPARE(thumbs.entryList(QDir::Files), made);
        QVERIFY(app.prompt.messages().isEmpty());

        // Not a picture, and a web address alone: refused with a word, nothing stored.
        QVERIFY(f->titlesData()->goTo(7).isOk());
        const QString text = app.root.filePath("notes.png");
        QFile out(text);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("just some words");
        out.close();
        mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(text)});
        drop(f, mime);
        mime->setUrls({QUrl("https://example.org/poster.jpg")});
        drop(f, mime);
        delete mime;
        QCOMPARE(app.prompt.messages().size(), 2);
        QVERIFY(coverPath(f, 7).isEmpty());
        QVERIFY(!showsCover(f));

        QVERIFY(f->titlesData()->goTo(5).isOk());
        QVERIFY(showsCover(f));
    }

    void undoTakesBackALendAndAPastedCover() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(5).isOk());
        QApplication::clipboard()->setImage(picture(40, 60));
        ctl<rk::mainwin::CoverPanel>(f, "CoverPanel")->pasteFromClipboard();
        lendOrReturn(
            f, [](QDialog& d) { d.findChild<QLineEdit*>("LoanPerson")->setText("Ann Smith"); });
        QVERIFY(f->titlesData()->goTo(6).isOk());

        auto* undo = ctl<QAction>(f, "Undo1");
        undo->trigger();
        QCOMPARE(f->titlesData()->recNo(), 5u);
        QVERIFY(ctl<QLabel>(f, "LoanText")->text().isEmpty());
        QVERIFY(showsCover(f));
        undo->trigger();
        QVERIFY(coverPath(f, 5).isEmpty());
        QVERIFY(!showsCover(f));
        ctl<QAction>(f, "Redo1")->trigger();
        QVERIFY(showsCover(f));
        QVERIFY(app.prompt.messages().isEmpty());
    }

    void lendAndReturnShowTheLoan() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(8).isOk());
        lendOrReturn(f, [](QDialog& d) {
            d.findChild<QLineEdit*>("LoanPerson")->setText("Ann Smith");
            d.findChild<QDateEdit*>("LoanDate")->setDate(QDate(2026, 1, 2));
            d.findChild<QCheckBox*>("LoanHasDue")->setChecked(true);
            d.findChild<QDateEdit*>("LoanDue")->setDate(QDate(2026, 1, 20));
        });
        auto loan = f->catalogue().sideData().currentLoan(8);
        QVERIFY(loan.isOk() && loan->has_value());
        QCOMPARE((*loan)->person, std::string("Ann Smith"));
        QCOMPARE((*loan)->due.day, 20);
        QVERIFY(ctl<QLabel>(f, "LoanText")->text().contains("Ann Smith"));
        QVERIFY(f->titlesData()->goTo(9).isOk());
        QVERIFY(ctl<QLabel>(f, "LoanText")->text().isEmpty());

        ctl<QAction>(f, "Loans1")->trigger();
        auto* table = f->findChild<QTableWidget*>("LoansTable");
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), QString("Ann Smith"));
        QCOMPARE(table->item(0, 4)->text(), QString("8"));

        QVERIFY(f->titlesData()->goTo(8).isOk());
        lendOrReturn(f, [](QDialog& d) {
            QVERIFY(!d.findChild<QLineEdit*>("LoanPerson"));
            d.findChild<QDateEdit*>("LoanDate")->setDate(QDate(2026, 1, 10));
        });
        loan = f->catalogue().sideData().currentLoan(8);
        QVERIFY(loan.isOk() && !loan->has_value());
        QVERIFY(ctl<QLabel>(f, "LoanText")->text().isEmpty());
        QCOMPARE(table->rowCount(), 0);
        auto history = f->catalogue().sideData().loanHistory(8);
        QVERIFY(history.isOk());
        QCOMPARE(history->size(), size_t(1));
        QCOMPARE(history->front().returned.day, 10);
    }

    void thePocketCatalogueShowsCoversFromAFolderBesideIt() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const QString file = app.root.filePath("poster.png");
        QVERIFY(picture(300, 450).save(file, "PNG"));
        for (uint32_t r : {5u, 9u})
            QVERIFY(f->catalogue().sideData().setCover(r, file.toStdString()).isOk());
        const QString page = app.root.filePath("My Films.html");
        app.prompt.answer(page).answer(Button::Yes).answer(Button::Ok);
        ctl<QAction>(f, "ExportPocket1")->trigger();
        const QDir folder(app.root.filePath("My Films covers"));
        QCOMPARE(folder.entryList(QDir::Files).size(), 2);
        QFile html(page);
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(html.readAll());
        const int at = text.indexOf("\"covers\":[");
        QVERIFY(at > 0);
        const QString list = text.mid(at, text.indexOf(']', at) - at);
        QCOMPARE(list.count("\"My%20Films%20covers/"), 2);
        QCOMPARE(list.count(',') + 1, int(f->titles().recCount()));
    }

    void aTitleOnLoanIsDeletedOnlyWhenTheUserSaysSo() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(4).isOk());
        QVERIFY(f->catalogue().sideData().lend(4, "Bob", {2026, 1, 1}).isOk());
        app.prompt.answer(Button::No);
        f->TrashButClick();
        QVERIFY(app.prompt.messages().front().contains("Bob"));
        std::string image;
        QVERIFY(f->titles().dbf()->readRecord(4, &image).isOk());
        QVERIFY(!rk::dbf::isDeleted(image));

        app.prompt.clear();
        app.prompt.answer(Button::Yes).answer(Button::Yes);
        QVERIFY(f->titlesData()->goTo(4).isOk());
        f->TrashButClick();
        QVERIFY(f->titles().dbf()->readRecord(4, &image).isOk());
        QVERIFY(rk::dbf::isDeleted(image));
    }
};

QTEST_MAIN(CoversTest)
#include "covers_test.moc"
