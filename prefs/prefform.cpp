#include "prefform.h"

#include "colorpickerbutton.h"
#include "defaulttips.h"
#include "gradienttoolbutton.h"
#include "helpviewer.h"
#include "mnemonics.h"
#include "modal.h"
#include "placement.h"
#include "prompt.h"
#include "settings.h"
#include "textlines.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kCustom = QStringLiteral("Custom");
const QString kSettings = QStringLiteral("Settings");
const QString kTipFile = QStringLiteral("tod.dat");

// Stored values: yes/no as 1 and 0, colours as the number 0x00BBGGRR in decimal, the font in
// Qt's own description.
QString boolText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
std::optional<bool> boolFrom(const QString& text) {
    const auto n = rk::fw::parseSettingNumber(text);
    if (!n) return std::nullopt;
    return *n != 0;
}
QString colorText(const QColor& c) {
    return QString::number(c.red() | (c.green() << 8) | (c.blue() << 16));
}
std::optional<QColor> colorFrom(const QString& text) {
    const auto n = rk::fw::parseSettingNumber(text);
    if (!n || *n < 0 || *n > 0xFFFFFF) return std::nullopt;
    return QColor(*n & 0xFF, (*n >> 8) & 0xFF, (*n >> 16) & 0xFF);
}

QGroupBox* group(const QString& caption, QWidget* parent) {
    auto* g = new QGroupBox(caption, parent);
    new QVBoxLayout(g);
    return g;
}

} // namespace

TPrefForm::TPrefForm(QString dataFolder, Apply apply, QWidget* parent)
    : QDialog(parent), dataFolder_(std::move(dataFolder)), apply_(std::move(apply)) {
    setObjectName(QStringLiteral("PrefForm"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    setWindowTitle(QStringLiteral("Preferences"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildSettingsPage(), QStringLiteral("Settings"));
    PageControl1->addTab(buildToolbarPage(), QStringLiteral("Toolbar Appearance"));
    PageControl1->addTab(buildLabelsPage(), QStringLiteral("Custom Field Labels"));

    BitBtn1 = new QPushButton(QStringLiteral("Save"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3 = new QPushButton(QStringLiteral("Help"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TPrefForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TPrefForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TPrefForm::BitBtn3Click);
    rk::fw::helpOnF1(this, 160);
    rk::fw::layOutDialog(this, PageControl1, {BitBtn1, BitBtn2, BitBtn3});
    resize(sizeHint().expandedTo(QSize(500, 380)));

    keepInStorage();
    FormCreate();
}

QWidget* TPrefForm::buildSettingsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto check = [page](const char* name, const QString& caption) {
        auto* c = new QCheckBox(caption, page);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto* viewing = group(QStringLiteral("Viewing Options"), page);
    CheckBox3 = check("CheckBox3", QStringLiteral("Show ToolTips"));
    CheckBox2 = check("CheckBox2", QStringLiteral("Bold Font in List boxes"));
    CheckBox1 = check("CheckBox1", QStringLiteral("Navigator Always On"));
    for (QWidget* w : {CheckBox3, CheckBox2, CheckBox1})
        viewing->layout()->addWidget(w);

    auto* startTab = group(QStringLiteral("Startup Tab"), page);
    RadioButton1 = new QRadioButton(QStringLiteral("Categories"), page);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("View All"), page);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    startTab->layout()->addWidget(RadioButton1);
    startTab->layout()->addWidget(RadioButton2);

    auto* other = group(QStringLiteral("Other Options"), page);
    CheckBox4 = check("CheckBox4", QStringLiteral("Keep Category Locked for New Entries"));
    CheckBox5 = check("CheckBox5", QStringLiteral("Use Enter Key to navigate Fields"));
    chkEnterTab = check("chkEnterTab", QStringLiteral("Enter Key moves to next Tab sheet"));
    CheckTip = check("CheckTip", QStringLiteral("Show Tip-of-the-Day on Startup"));
    for (QWidget* w : {CheckBox4, CheckBox5, chkEnterTab, CheckTip})
        other->layout()->addWidget(w);

    auto* top = new QHBoxLayout;
    top->addWidget(viewing, 3);
    top->addWidget(startTab, 2);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(other);
    layout->addStretch(1);
    return page;
}

QWidget* TPrefForm::buildToolbarPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    gradSample = new rk::GradientToolButton(QStringLiteral("Sample"), page);
    gradSample->setObjectName(QStringLiteral("gradSample"));
    gradSample->setToolButtonStyle(Qt::ToolButtonTextOnly);
    gradSample->setMinimumSize(90, 48);
    gradSample->setFocusPolicy(Qt::NoFocus);

    auto chooser = [this](const QColor& initial, QWidget*) {
        return rk::fw::prompt().chooseColor(this, initial, QString());
    };
    auto* colours = group(QStringLiteral("Gradient Colors"), page);
    butGrad1 = new rk::ColorPickerButton(QStringLiteral("Gradient Color 1"), page);
    butGrad1->setObjectName(QStringLiteral("butGrad1"));
    butGrad2 = new rk::ColorPickerButton(QStringLiteral("Gradient Color 2"), page);
    butGrad2->setObjectName(QStringLiteral("butGrad2"));
    for (rk::ColorPickerButton* b : {butGrad1, butGrad2}) {
        b->setChooser(chooser);
        b->setAutoDefault(false);
        colours->layout()->addWidget(b);
    }
    butGrad1->setColor(gradSample->lightColor());
    butGrad2->setColor(gradSample->shadowColor());
    connect(butGrad1, &rk::ColorPickerButton::colorChosen, this, &TPrefForm::butGrad1Click);
    connect(butGrad2, &rk::ColorPickerButton::colorChosen, this, &TPrefForm::butGrad2Click);

    radGrpGrad = group(QStringLiteral("Gradient Orientation"), page);
    radGrpGrad->setObjectName(QStringLiteral("radGrpGrad"));
    orientation_ = new QButtonGroup(this);
    const QString items[] = {QStringLiteral("Vertical (top to bottom)"),
                             QStringLiteral("Horizontal (left to right)")};
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(items[i], radGrpGrad);
        r->setObjectName(QStringLiteral("radGrpGrad%1").arg(i));
        orientation_->addButton(r, i);
        radGrpGrad->layout()->addWidget(r);
    }
    setRadGrpGradIndex(0);
    connect(orientation_, &QButtonGroup::idClicked, this, &TPrefForm::radGrpGradClick);

    auto* other = group(QStringLiteral("Other Options"), page);
    chkFlatbuts = new QCheckBox(QStringLiteral("Flat Buttons"), page);
    chkFlatbuts->setObjectName(QStringLiteral("chkFlatbuts"));
    connect(chkFlatbuts, &QCheckBox::clicked, this, &TPrefForm::chkFlatbutsClick);
    BitBtn4 = new QPushButton(QStringLiteral("Toolbar Font..."), page);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    BitBtn4->setAutoDefault(false);
    connect(BitBtn4, &QPushButton::clicked, this, &TPrefForm::BitBtn4Click);
    other->layout()->addWidget(chkFlatbuts);
    other->layout()->addWidget(BitBtn4);

    butDefaults = new QPushButton(QStringLiteral("Defaults"), page);
    butDefaults->setObjectName(QStringLiteral("butDefaults"));
    butDefaults->setAutoDefault(false);
    connect(butDefaults, &QPushButton::clicked, this, &TPrefForm::butDefaultsClick);

    auto* left = new QVBoxLayout;
    left->addWidget(gradSample, 0, Qt::AlignHCenter);
    left->addStretch(1);
    left->addWidget(butDefaults);
    auto* right = new QVBoxLayout;
    right->addWidget(colours);
    right->addWidget(radGrpGrad);
    right->addWidget(other);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    return page;
}

QWidget* TPrefForm::buildLabelsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto* note = new QLabel(
        QStringLiteral("These are the Labels that appear over the Custom fields."), page);
    note->setWordWrap(true);
    auto field = [page](const char* name, QFormLayout* form, const QString& caption) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QString::fromLatin1(name));
        form->addRow(caption, e);
        return e;
    };
    auto* common = new QGroupBox(QStringLiteral("Common Tab"), page);
    auto* commonForm = new QFormLayout(common);
    Edit1 = field("Edit1", commonForm, QStringLiteral("Custom 1:"));
    Edit2 = field("Edit2", commonForm, QStringLiteral("Custom 2:"));
    auto* details = new QGroupBox(QStringLiteral("Details Tab"), page);
    auto* detailsForm = new QFormLayout(details);
    Edit3 = field("Edit3", detailsForm, QStringLiteral("Custom 3:"));
    Edit4 = field("Edit4", detailsForm, QStringLiteral("Custom 4:"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(note);
    layout->addWidget(common);
    layout->addWidget(details);
    layout->addStretch(1);
    return page;
}

// The dialog's storage: its position and these controls, in the settings key itself.
void TPrefForm::keepInStorage() {
    storage_ = new rk::fw::FormStorage(this, rk::fw::kKeySection,
                                       rk::fw::FormStorage::Keep::Position, false);
    auto keepBool = [this](const char* name, std::function<bool()> get,
                           std::function<void(bool)> set) {
        storage_->addProperty(
            QString::fromLatin1(name), [get] { return boolText(get()); },
            [set](const QString& v) {
                if (auto b = boolFrom(v)) set(*b);
            });
    };
    auto keepColor = [this](const char* name, std::function<QColor()> get,
                            std::function<void(const QColor&)> set) {
        storage_->addProperty(
            QString::fromLatin1(name), [get] { return colorText(get()); },
            [set](const QString& v) {
                if (auto c = colorFrom(v)) set(*c);
            });
    };
    keepBool(
        "RadioButton1_Checked", [this] { return RadioButton1->isChecked(); },
        [this](bool on) { RadioButton1->setChecked(on); });
    keepBool(
        "RadioButton2_Checked", [this] { return RadioButton2->isChecked(); },
        [this](bool on) { RadioButton2->setChecked(on); });
    keepColor(
        "butGrad1_Color", [this] { return butGrad1->color(); },
        [this](const QColor& c) { butGrad1->setColor(c); });
    keepColor(
        "butGrad2_Color", [this] { return butGrad2->color(); },
        [this](const QColor& c) { butGrad2->setColor(c); });
    keepBool(
        "gradSample_Flat", [this] { return gradSample->isFlat(); },
        [this](bool on) { gradSample->setFlat(on); });
    keepColor(
        "gradSample_LightColor", [this] { return gradSample->lightColor(); },
        [this](const QColor& c) { gradSample->setLightColor(c); });
    keepColor(
        "gradSample_ShadowColor", [this] { return gradSample->shadowColor(); },
        [this](const QColor& c) { gradSample->setShadowColor(c); });
    keepBool(
        "gradSample_Vertical", [this] { return gradSample->isVertical(); },
        [this](bool on) { gradSample->setVertical(on); });
    keepBool(
        "chkFlatbuts_Checked", [this] { return chkFlatbuts->isChecked(); },
        [this](bool on) { chkFlatbuts->setChecked(on); });
    storage_->addProperty(
        QStringLiteral("gradSample_Font"), [this] { return gradSample->font().toString(); },
        [this](const QString& v) {
            QFont f;
            if (f.fromString(v)) gradSample->setFont(f);
        });

    const bool categories = RadioButton1->isChecked();
    const QColor light = butGrad1->color(), shadow = butGrad2->color();
    const rk::GradientLook sample = gradSample->look();
    const bool flat = chkFlatbuts->isChecked();
    resetStored_ = [=] {
        (categories ? RadioButton1 : RadioButton2)->setChecked(true);
        butGrad1->setColor(light);
        butGrad2->setColor(shadow);
        gradSample->setLook(sample);
        chkFlatbuts->setChecked(flat);
    };
}

int TPrefForm::radGrpGradIndex() const {
    return orientation_->checkedId();
}

void TPrefForm::setRadGrpGradIndex(int index) {
    if (QAbstractButton* b = orientation_->button(index)) b->setChecked(true);
}

QString TPrefForm::tipFile() const {
    return dataFolder_ + kTipFile;
}

// --- Creation

void TPrefForm::FormCreate() {
    // 1.
    storage_->restore();
    rk::fw::SettingsKey key;
    // 2.
    QLineEdit* labels[] = {Edit1, Edit2, Edit3, Edit4};
    for (int i = 0; i < 4; ++i)
        labels[i]->setText(key.readString(kCustom, QStringLiteral("Custom%1").arg(i + 1),
                                          QStringLiteral("Custom-%1").arg(i + 1)));
    // 3.
    if (key.readString(kSettings, QStringLiteral("StartTab"), QStringLiteral("Categories")) ==
        QLatin1String("ViewAll"))
        RadioButton2->setChecked(true);
    // 4. to 8.
    CheckBox1->setChecked(key.readInteger(kSettings, QStringLiteral("Navigator"), 1) != 0);
    CheckBox2->setChecked(key.readInteger(kSettings, QStringLiteral("BoldLists"), 0) == 1);
    CheckBox3->setChecked(key.readInteger(kSettings, QStringLiteral("ShowHints"), 1) != 0);
    CheckBox4->setChecked(key.readInteger(kSettings, QStringLiteral("CategoryLock"), 0) == 1);
    CheckBox5->setChecked(key.readInteger(kSettings, QStringLiteral("EnterKeyTab"), 0) == 1);
    // 9. As the main window reads it: 0 or missing is off, any other value on.
    chkEnterTab->setChecked(key.readInteger(kSettings, QStringLiteral("EnterMovesTab"), 0) != 0);
    // 10. The tip file's first character.
    QFile tips(tipFile());
    char flag = 0;
    CheckTip->setChecked(tips.open(QIODevice::ReadOnly) && tips.getChar(&flag) && flag == '1');
    // The orientation choice shows the direction of the sample.
    setRadGrpGradIndex(gradSample->isVertical() ? 0 : 1);
}

// --- Save, Cancel, Help

void TPrefForm::BitBtn1Click() {
    // 1.
    storage_->save();
    // 2.
    {
        rk::fw::SettingsKey key;
        key.writeString(kSettings, QStringLiteral("StartTab"),
                        RadioButton1->isChecked() ? QStringLiteral("Categories")
                                                  : QStringLiteral("ViewAll"));
        key.writeBool(kSettings, QStringLiteral("Navigator"), CheckBox1->isChecked());
        key.writeBool(kSettings, QStringLiteral("BoldLists"), CheckBox2->isChecked());
        key.writeBool(kSettings, QStringLiteral("ShowHints"), CheckBox3->isChecked());
        key.writeBool(kSettings, QStringLiteral("CategoryLock"), CheckBox4->isChecked());
        key.writeBool(kSettings, QStringLiteral("EnterKeyTab"), CheckBox5->isChecked());
        key.writeBool(kSettings, QStringLiteral("EnterMovesTab"), chkEnterTab->isChecked());
        const QLineEdit* labels[] = {Edit1, Edit2, Edit3, Edit4};
        for (int i = 0; i < 4; ++i)
            key.writeString(kCustom, QStringLiteral("Custom%1").arg(i + 1), labels[i]->text());
    }
    // 3. and 5. At once in the main window; the navigator and the start tab wait for the
    // next start.
    rk::prefs::Appearance a;
    a.boldLists = CheckBox2->isChecked();
    a.showHints = CheckBox3->isChecked();
    a.categoryLock = CheckBox4->isChecked();
    a.enterAsTab = CheckBox5->isChecked();
    a.enterMovesPage = chkEnterTab->isChecked();
    a.customLabels = QStringList{Edit1->text(), Edit2->text(), Edit3->text(), Edit4->text()};
    a.toolBar.lightColor = butGrad1->color();
    a.toolBar.shadowColor = butGrad2->color();
    a.toolBar.flat = chkFlatbuts->isChecked();
    a.toolBar.vertical = radGrpGradIndex() == 0;
    a.toolBar.font = gradSample->font();
    if (apply_) apply_(a);
    // 4. The tip file's first byte. A catalogue without the file gets one with the built-in
    // tips when the tips are asked for; otherwise a file that cannot be opened is left alone.
    QDir::setCurrent(dataFolder_);
    QFile tips(tipFile());
    if (tips.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && tips.seek(0)) {
        tips.putChar(CheckTip->isChecked() ? '1' : '0');
    } else if (CheckTip->isChecked() && !tips.exists()) {
        QStringList lines = rk::fw::defaultTipLines();
        lines[0] = QStringLiteral("1");
        rk::writeCp1252Lines(tipFile(), lines);
    }
    tips.close();
    accept();
}

// The appearance and start-tab controls go back to what is stored; the other controls keep
// what the user left in them.
void TPrefForm::BitBtn2Click() {
    resetStored_();
    storage_->restore();
    setRadGrpGradIndex(gradSample->isVertical() ? 0 : 1);
    QDialog::reject();
}

void TPrefForm::reject() {
    BitBtn2Click();
}

void TPrefForm::BitBtn3Click() {
    rk::fw::prompt().showHelp(this, rk::fw::helpTopicForContext(15));
}

// --- The tool bar's look, previewed on the sample

void TPrefForm::butGrad1Click() {
    gradSample->setLightColor(butGrad1->color());
}

void TPrefForm::butGrad2Click() {
    gradSample->setShadowColor(butGrad2->color());
}

void TPrefForm::radGrpGradClick() {
    gradSample->setVertical(radGrpGradIndex() == 0);
}

void TPrefForm::chkFlatbutsClick() {
    gradSample->setFlat(chkFlatbuts->isChecked());
}

void TPrefForm::BitBtn4Click() {
    rk::fw::FontOptions options;
    options.maxPointSize = 12;
    options.effects = true;
    if (const auto font = rk::fw::prompt().chooseFont(this, gradSample->font(), QString(), options))
        gradSample->setFont(*font);
}

void TPrefForm::butDefaultsClick() {
    butGrad1->setColor(rk::GradientToolButton::defaultLightColor());
    butGrad2->setColor(rk::GradientToolButton::defaultShadowColor());
    setRadGrpGradIndex(0);
    chkFlatbuts->setChecked(false);
    rk::GradientLook look;
    look.lightColor = butGrad1->color();
    look.shadowColor = butGrad2->color();
    look.flat = false;
    look.vertical = true;
    look.font = font();
    gradSample->setLook(look);
}
