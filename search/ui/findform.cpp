#include "findform.h"

#include "mnemonics.h"
#include "modal.h"
#include "titleindex.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const char* const kTag = "Tag";

} // namespace

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindForm"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    rk::fw::helpOnF1(this, QStringLiteral("Searching"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);

    EditSearch = new QLineEdit(this);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    EditSearch->setMaxLength(kMaxSearchText);
    EditSearch->setMinimumWidth(260);

    // A list that takes only its own items: typing jumps to the first item that begins with
    // the typed letters, and no text outside the list can become the choice.
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    for (int i = 0; i < rk::search::kFieldChoiceCount; ++i)
        ComboBox1->addItem(QString::fromLatin1(rk::search::fieldChoiceCaption(i)));
    ComboBox1->setProperty(kTag, 0);
    ComboBox1->setCurrentIndex(0);

    butFindit = new QPushButton(QStringLiteral("Go"), this);
    butFindit->setObjectName(QStringLiteral("butFindit"));
    butFindit->setDefault(true);
    butCancel = new QPushButton(QStringLiteral("Cancel"), this);
    butCancel->setObjectName(QStringLiteral("butCancel"));
    butCancel->setAutoDefault(false);

    auto* searchFor = new QLabel(QStringLiteral("Search for:"), this);
    searchFor->setBuddy(EditSearch);
    auto* searchIn = new QLabel(QStringLiteral("Search in:"), this);
    searchIn->setBuddy(ComboBox1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(searchFor, 0, 0);
    grid->addWidget(EditSearch, 0, 1);
    grid->addWidget(searchIn, 1, 0);
    grid->addWidget(ComboBox1, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(butFindit);
    buttons->addWidget(butCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setFixedSize(sizeHint());

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFindForm::ComboBox1Change);
    connect(butFindit, &QPushButton::clicked, this, &QDialog::accept);
    connect(butCancel, &QPushButton::clicked, this, [this] {
        butCancelClick();
        reject();
    });
}

QString TFindForm::searchText() const {
    return EditSearch->text();
}

int TFindForm::fieldChoice() const {
    return std::clamp(ComboBox1->currentIndex(), 0, rk::search::kFieldChoiceCount - 1);
}

int TFindForm::execute() {
    return rk::fw::execModal(this);
}

// Each activation offers the last choice again and puts the cursor in the search field;
// the search text stays as it was.
void TFindForm::FormActivate() {
    const int remembered = ComboBox1->property(kTag).toInt();
    if (remembered >= 0 && remembered < ComboBox1->count()) ComboBox1->setCurrentIndex(remembered);
    EditSearch->setFocus();
}

void TFindForm::ComboBox1Change() {
    if (ComboBox1->currentIndex() >= 0) ComboBox1->setProperty(kTag, ComboBox1->currentIndex());
}

// The only way the dialog stops a search: an empty search text.
void TFindForm::butCancelClick() {
    EditSearch->clear();
}

void TFindForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TFindForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

// Esc presses Cancel (which empties the text); the window's close box only closes.
void TFindForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        butCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
