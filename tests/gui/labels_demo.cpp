// Shows the label printer or the internet search launcher on a sample catalogue, for looking
// at them by eye and for screenshots under Xvfb (not a test):
//   labels_demo face|spine|preview|launcher [PAGE]
// PAGE: the tab shown below the label (0 attributes, 1 fields, 2 custom) or the launcher's
// page (0 to 3).
// "face" composes a label through the window's own controls: the title bold, larger and
// centred, and four field lines.
#include "guifixture.h"

#include "frmlabels.h"
#include "gradienttoolbutton.h"
#include "labelpreview.h"
#include "newgrid.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace {

void composeFace(TfrmLabels* labels) {
    auto* list = ctl<QListWidget>(labels, "ListBox1");
    for (int item : {0, 7, 5, 11})
        list->item(item)->setCheckState(Qt::Checked);
    auto* editor = ctl<QTextEdit>(labels, "RichEdit1");
    QTextCursor title(editor->document());
    title.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    editor->setTextCursor(title);
    ctl<QToolButton>(labels, "BoldButton")->click();
    ctl<QSpinBox>(labels, "FontSize")->setValue(14);
    ctl<QToolButton>(labels, "CenterAlign")->click();
    QTextCursor rest = editor->textCursor();
    rest.movePosition(QTextCursor::NextBlock);
    rest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    editor->setTextCursor(rest);
    ctl<QSpinBox>(labels, "FontSize")->setValue(10);
    editor->moveCursor(QTextCursor::Start);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("face");
    const int page = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 0;
    GuiFixture fixture;
    if (!fixture.start(false)) return 1;
    TForm1* form = fixture.form;
    if (!form->titlesData()->goTo(3).isOk()) return 1;

    if (what == QLatin1String("launcher")) {
        form->show();
        ctl<rk::GradientToolButton>(form, "InternetBut")->click();
        TNewGrid* grid = appWindows().newGrid;
        ctl<QLineEdit>(grid, "editSearch")->setText(QStringLiteral("Pride & Prejudice"));
        ctl<QTabWidget>(grid, "PageControl1")->setCurrentIndex(page);
        grid->move(form->geometry().center() - grid->rect().center());
        return app.exec();
    }

    TfrmLabels* labels = appWindows().frmLabels;
    labels->show();
    labels->move(40, 30);
    composeFace(labels);
    ctl<QTabWidget>(labels, "PageControl1")->setCurrentIndex(page);
    auto* face = ctl<QWidget>(labels, "LrsBmp1");
    QTest::mouseClick(face, Qt::LeftButton, {}, QPoint(80, 96)); // column 2, row 3
    if (what == QLatin1String("spine")) {
        ctl<QTabWidget>(labels, "PageCtrl")->setCurrentIndex(1);
        QTest::mouseClick(ctl<QWidget>(labels, "LrsBmp2"), Qt::LeftButton, {}, QPoint(70, 85));
    } else if (what == QLatin1String("preview")) {
        ctl<QPushButton>(labels, "butPreview")->click();
        if (auto* preview = labels->findChild<rk::print::LabelPreview*>()) preview->move(0, 0);
    }
    return app.exec();
}
