// Mnemonics (the underlined letters that Alt and the letter press) for a dialog: every button
// with a caption and every label that names a control gets a letter that no other control
// shown with it has. Letters the captions already have are kept unless another control took
// the letter first; the others are chosen from the starts of the caption's words, then from
// its other letters. Controls on different pages of a tab widget are never shown together,
// so they may share a letter; a control outside the pages shares its letter with none.
#pragma once

#include <QString>

class QWidget;

namespace rk::fw {

// The letter of a caption ("&Print": "P", upper case); empty when it has none ("&&" is an
// ampersand, not a mnemonic).
QString mnemonicOf(const QString& caption);

// Gives the controls of `window` their letters now and again each time it is shown (when
// captions may have changed).
void keepMnemonics(QWidget* window);
// Once.
void assignMnemonics(QWidget* window);

} // namespace rk::fw
