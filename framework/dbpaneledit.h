// TDBPanelEdit: a panel that shows every field of a data source's dataset, one labelled
// data-bound control per field, in a scroll box that scrolls both ways.
//
// Layout (rebuild):
//   - one item per field, in the dataset's field order: a label with the field's name and
//     the label font, and a control bound to the field with the control font;
//   - labels right-aligned in one column: left = border + bevel + widest label - own width;
//   - every control at left = 2 * border + bevel + widest label, at its label's top;
//   - the first item at top = border + bevel, each further one at the previous control's
//     bottom + border + bevel;
//   - an edit is as wide as the field's display width in characters of the control font
//     (see editWidth), but no wider than the cap: the panel's width - 3 * border + bevel +
//     widest label, at least 100. The cap follows the panel's width.
// The datasets of the framework hold character, numeric, float, date and logical fields,
// so every control is a data-bound edit.
//
// The panel rebuilds when its data source's dataset is opened, closed or exchanged, when
// the source itself changes, when a font is set and when Refreshed is set. It owns its parts:
// the data link, an internal data source (whose dataset is always the linked one, and to
// which every control is bound), the scroll box, and the list of built items.
#pragma once

#include "datasource.h"

#include <QFont>
#include <QFrame>

#include <memory>
#include <vector>

class QLabel;
class QScrollArea;

namespace rk::fw {

class TDBPanelEdit;

// The panel's link to its data source.
class TDataLinkDBPanelEdit : public DataLink {
    Q_OBJECT
public:
    explicit TDataLinkDBPanelEdit(TDBPanelEdit* panel);

protected:
    void activeChanged() override;
    void datasetChanged() override;

private:
    TDBPanelEdit* panel_;
};

class TDBPanelEditControls;

// One built item: a label and its control. Freeing it frees both.
class TDBPanelEditControl {
public:
    TDBPanelEditControl(TDBPanelEditControls* owner, QLabel* label, QWidget* control,
                        int naturalWidth);
    ~TDBPanelEditControl();
    TDBPanelEditControl(const TDBPanelEditControl&) = delete;
    TDBPanelEditControl& operator=(const TDBPanelEditControl&) = delete;

    TDBPanelEditControls* owner() const { return owner_; }
    QLabel* label() const { return label_; }
    QWidget* control() const { return control_; }
    // The control's width before the cap.
    int naturalWidth() const { return naturalWidth_; }

private:
    TDBPanelEditControls* owner_;
    QLabel* label_;
    QWidget* control_;
    int naturalWidth_;
};

// The ordered list of built items.
class TDBPanelEditControls {
public:
    TDBPanelEditControl* add(QLabel* label, QWidget* control, int naturalWidth);
    // Frees the item (its label and control) and takes it out of the list.
    void remove(TDBPanelEditControl* item);
    void clear();
    int count() const { return int(items_.size()); }
    TDBPanelEditControl* item(int index) const { return items_[size_t(index)].get(); }

private:
    std::vector<std::unique_ptr<TDBPanelEditControl>> items_;
};

class TDBPanelEdit : public QFrame {
    Q_OBJECT
    Q_PROPERTY(rk::fw::DataSource* DataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
    Q_PROPERTY(QFont ControlFont READ controlFont WRITE setControlFont)
    Q_PROPERTY(QFont LabelFont READ labelFont WRITE setLabelFont)
    Q_PROPERTY(bool Refreshed READ refreshed WRITE setRefreshed)

public:
    enum class Bevel { None, Lowered, Raised };

    explicit TDBPanelEdit(QWidget* parent = nullptr);
    ~TDBPanelEdit() override;

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source);
    // The link's read-only flag; the built controls do not take it.
    bool readOnly() const { return link_->readOnly(); }
    void setReadOnly(bool readOnly) { link_->setReadOnly(readOnly); }
    QFont controlFont() const { return controlFont_; }
    void setControlFont(const QFont& font);
    QFont labelFont() const { return labelFont_; }
    void setLabelFont(const QFont& font);
    // Reads false; writing true rebuilds.
    bool refreshed() const { return false; }
    void setRefreshed(bool refreshed);

    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    int bevelWidth() const { return bevelWidth_; }
    void setBevelInner(Bevel bevel);
    void setBevelOuter(Bevel bevel);

    const TDBPanelEditControls& controls() const { return items_; }
    QScrollArea* scrollBox() const { return scrollBox_; }
    // The item of a field, by name; nullptr when there is none.
    TDBPanelEditControl* itemOf(const QString& fieldName) const;

    void rebuild();

    // The width of an edit for `chars` characters of `font`: (width of "0" - overhang) *
    // chars + overhang + the edit's frame (at least 4 pixels).
    static int editWidth(const QFont& font, int chars, const QWidget* edit);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();
    void updateMargins();

    TDataLinkDBPanelEdit* link_;
    DataSource* internal_;
    QScrollArea* scrollBox_;
    QWidget* content_;
    TDBPanelEditControls items_;
    QFont controlFont_;
    QFont labelFont_;
    int borderWidth_ = 5;
    int bevelWidth_ = 1;
    Bevel bevelInner_ = Bevel::Lowered;
    Bevel bevelOuter_ = Bevel::None;
};

} // namespace rk::fw
