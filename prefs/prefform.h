// TPrefForm, "Preferences": the settings that shape the main window, the labels of the four
// user fields, the tip window at start-up, and the look of the main window's tool bar.
//
// Created once; its controls keep what the user last left in them. The settings are read at
// creation only. Save writes them, applies them to the main window at once (through the
// function it was given) and writes the tip file's first byte. The dialog's own storage (its
// position and the tool bar and start-tab controls, in the settings key itself) is read at
// creation, written at Save and read again at Cancel, never on its own.
#pragma once

#include "appearance.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace rk {
class ColorPickerButton;
class GradientToolButton;
} // namespace rk

namespace rk::fw {
class FormStorage;
}

class TPrefForm : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<void(const rk::prefs::Appearance&)>;
    TPrefForm(QString dataFolder, Apply apply, QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    // "Settings"
    QCheckBox *CheckBox3 = nullptr, *CheckBox2 = nullptr, *CheckBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    QCheckBox *CheckBox4 = nullptr, *CheckBox5 = nullptr, *chkEnterTab = nullptr,
              *CheckTip = nullptr;
    // "Toolbar Appearance"
    rk::GradientToolButton* gradSample = nullptr;
    rk::ColorPickerButton *butGrad1 = nullptr, *butGrad2 = nullptr;
    QGroupBox* radGrpGrad = nullptr;
    QCheckBox* chkFlatbuts = nullptr;
    QPushButton *BitBtn4 = nullptr, *butDefaults = nullptr;
    // "Custom Field Labels"
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr; // Save, Cancel, Help

    // The orientation choice: 0 vertical, 1 horizontal.
    int radGrpGradIndex() const;
    void setRadGrpGradIndex(int index);

    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void butGrad1Click();
    void butGrad2Click();
    void radGrpGradClick();
    void chkFlatbutsClick();
    void BitBtn4Click();
    void butDefaultsClick();

protected:
    void reject() override;

private:
    QWidget* buildSettingsPage();
    QWidget* buildToolbarPage();
    QWidget* buildLabelsPage();
    void keepInStorage();
    QString tipFile() const;

    QString dataFolder_;
    Apply apply_;
    QButtonGroup* orientation_ = nullptr;
    rk::fw::FormStorage* storage_ = nullptr;
    // What the stored controls showed at creation, before the storage was read: Cancel
    // gives it back to a control that has nothing stored.
    std::function<void()> resetStored_;
};
