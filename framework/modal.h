// Modal dialogs of the program: execModal() shows a dialog modally and returns when it has
// closed. Tests install a runner that works the dialog's controls in place of the modal loop
// (the runner shows the dialog, clicks, and closes it).
#pragma once

#include <functional>

class QDialog;

namespace rk::fw {

// The dialog's result (QDialog::Accepted or Rejected).
int execModal(QDialog* dialog);

using ModalRunner = std::function<void(QDialog& dialog)>;
// Installs `runner` for the next modal dialogs; nullptr brings back the modal loop.
void setModalRunner(ModalRunner runner);

} // namespace rk::fw
