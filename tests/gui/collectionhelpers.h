// Helpers of the category, marking, search and maintenance scenarios: reading stored
// records behind the window, clicking list lines as a user does, and answering the Find
// dialog.
#pragma once

#include "guifixture.h"

#include "datacontrols.h"
#include "findform.h"
#include "gradienttoolbutton.h"
#include "litcheckbox.h"
#include "modal.h"
#include "record.h"
#include "recordlistmodel.h"
#include "text.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

namespace collection {

// Starts the program and forgets what start-up asked (the tutorial's help topic).
inline bool start(GuiFixture& app) {
    const bool started = app.start();
    app.prompt.clear();
    return started;
}

// A field of a stored record, trimmed, read straight from the file.
inline QString stored(rk::store::Table& t, uint32_t recno, const char* name) {
    std::string image;
    if (!t.dbf()->readRecord(recno, &image).isOk()) return QStringLiteral("<unreadable>");
    return rk::fw::fromCp1252(rk::dbf::trimmedField(image, *t.field(name)));
}

inline QByteArray fileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool storedDeleted(rk::store::Table& t, uint32_t recno) {
    std::string image;
    return t.dbf()->readRecord(recno, &image).isOk() && rk::dbf::isDeleted(image);
}

// Live (not deleted) records whose field equals the text.
inline std::vector<uint32_t> recordsWhere(rk::store::Table& t, const char* name,
                                          const QString& value) {
    std::vector<uint32_t> out;
    for (uint32_t r = 1; r <= t.recCount(); ++r)
        if (!storedDeleted(t, r) && stored(t, r, name) == value) out.push_back(r);
    return out;
}

inline std::vector<uint32_t> listed(rk::fw::DBLookupList* list) {
    std::vector<uint32_t> out;
    auto* model = list->recordModel();
    for (int row = 0; row < model->rowCount(); ++row)
        out.push_back(model->recNoAt(row));
    return out;
}

inline int rowOfText(rk::fw::DBLookupList* list, const QString& text, int from = 0) {
    auto* model = list->recordModel();
    for (int row = from; row < model->rowCount(); ++row)
        if (model->textAt(row) == text) return row;
    return -1;
}

// Presses and releases a mouse button over a line of a list, as the user does.
inline void clickRow(rk::fw::DBLookupList* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), button, {}, list->visualRect(index).center());
}

// Adds a title through the window's dataset and stores it; its record number.
inline uint32_t addTitle(TForm1* f, const QString& title, const QString& category,
                         const QString& price = QString()) {
    rk::fw::Dataset* d = f->titlesData();
    if (!d->insert().isOk() || !d->setText("TITLE", title).isOk() ||
        !d->setText("CATEGORY", category).isOk())
        return 0;
    // A price the field cannot take is kept and fails the post.
    if (!price.isNull()) rk::ignore(d->setText("PRICE", price), "the post tells");
    if (!d->post().isOk()) return 0;
    return f->titles().recNo();
}

// Answers the next Find dialogs: the text, the field choice, and Go (or Cancel).
struct FindAnswer {
    explicit FindAnswer(const QString& text, int choice = 0, bool go = true) {
        rk::fw::setModalRunner([=](QDialog& dialog) {
            auto& form = static_cast<TFindForm&>(dialog);
            form.show();
            offered = form.searchText();
            offeredChoice = form.ComboBox1->currentIndex();
            form.EditSearch->setText(text);
            form.ComboBox1->setCurrentIndex(choice);
            (go ? form.butFindit : form.butCancel)->click();
        });
    }
    ~FindAnswer() { rk::fw::setModalRunner(nullptr); }
    static inline QString offered;
    static inline int offeredChoice = -2;
};

} // namespace collection
