#include "modal.h"

#include <QDialog>

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

} // namespace rk::fw
