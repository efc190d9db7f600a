// Modal dialogs of the program: execModal() shows a dialog modally and returns when it has
// closed. Tests install a runner that works the dialog's controls in place of the modal loop
// (the runner shows the dialog, clicks, and closes it).
#pragma once

#include <functional>
#include <initializer_list>

class QDialog;
class QPushButton;
class QString;
class QWidget;

namespace rk::fw {

// The dialog's result (QDialog::Accepted or Rejected).
int execModal(QDialog* dialog);

using ModalRunner = std::function<void(QDialog& dialog)>;
// Installs `runner` for the next modal dialogs; nullptr brings back the modal loop.
void setModalRunner(ModalRunner runner);

// The usual dialog: `body` takes the room, `buttons` stand right-aligned in a row below it.
void layOutDialog(QDialog* dialog, QWidget* body, std::initializer_list<QPushButton*> buttons);
// F1 in `dialog` opens the help topic of help context `context`.
void helpOnF1(QDialog* dialog, int context);
// F1 anywhere in `window` opens the help at `topic`, in front of the window.
void helpOnF1(QWidget* window, const QString& topic);

} // namespace rk::fw
