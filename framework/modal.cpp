#include "modal.h"

#include "helpviewer.h"
#include "prompt.h"

#include <QBoxLayout>
#include <QDialog>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace rk::fw {

namespace {
ModalRunner& runner() {
    static ModalRunner r;
    return r;
}
} // namespace

int execModal(QDialog* dialog) {
    if (!dialog) return QDialog::Rejected;
    if (const ModalRunner& r = runner()) {
        dialog->setResult(QDialog::Rejected);
        dialog->setWindowModality(Qt::ApplicationModal);
        r(*dialog);
        if (dialog->isVisible()) dialog->reject(); // a runner that left it open: closed
        return dialog->result();
    }
    return dialog->exec();
}

void setModalRunner(ModalRunner r) {
    runner() = std::move(r);
}

void layOutDialog(QDialog* dialog, QWidget* body, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(body, 1);
    layout->addLayout(row);
}

void helpOnF1(QDialog* dialog, int context) {
    helpOnF1(dialog, helpTopicForContext(context));
}

void helpOnF1(QWidget* window, const QString& topic) {
    auto* help = new QShortcut(QKeySequence::HelpContents, window);
    help->setObjectName(QStringLiteral("HelpOnF1"));
    QObject::connect(help, &QShortcut::activated, window,
                     [window, topic] { prompt().showHelp(window, topic); });
}

} // namespace rk::fw
