// The quick filter: a box above the view pages that narrows the titles in view as the user
// types, by the words their titles begin with (rk::search::QuickFilter); its clear button and
// Esc clear it. It lies beside the view's query, so it holds in the category, all and marked
// views alike, and the status bar says how many titles pass.
//
// The titles' words are read while idle once the box has the focus, and the rest at once when
// a key comes first; a post keeps the title's words current.
#include "form1.h"

#include "hourglass.h"
#include "picturetabbar.h"
#include "prompt.h"
#include "recordlistmodel.h"
#include "text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Records read per idle slice: a few milliseconds.
constexpr uint32_t kSlice = 8192;

// Esc clears the box; the focus starts the reading of the titles' words.
class FilterKeys : public QObject {
public:
    FilterKeys(QObject* parent, std::function<void()> clear, std::function<void()> focused)
        : QObject(parent), clear_(std::move(clear)), focused_(std::move(focused)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !static_cast<QLineEdit*>(watched)->text().isEmpty()) {
            clear_();
            return true;
        }
        if (event->type() == QEvent::FocusIn) focused_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> clear_, focused_;
};

} // namespace

QWidget* TForm1::buildQuickFilter() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    QuickFilter = new QLineEdit(column);
    QuickFilter->setObjectName(QStringLiteral("QuickFilter"));
    QuickFilter->setPlaceholderText(QStringLiteral("Filter titles"));
    QuickFilter->setClearButtonEnabled(true);
    QuickFilter->setAccessibleName(QStringLiteral("Filter titles"));
    QuickFilter->setToolTip(QStringLiteral("Shows only the titles with words that begin with "
                                           "every word typed here (Esc clears it)"));
    layout->addWidget(QuickFilter);
    layout->addWidget(ExtPageControl1, 1);
    return column;
}

void TForm1::connectQuickFilter() {
    titleWordsTimer_ = new QTimer(this);
    titleWordsTimer_->setInterval(0);
    connect(titleWordsTimer_, &QTimer::timeout, this, [this] {
        // Not inside a long run (pack, the full-text build), which shows the hourglass and may
        // have the table closed: the next idle moment reads on.
        if (QApplication::overrideCursor() || !titles().isOpen()) return;
        bool done = true;
        if (!ready_ || !titleWords_.readMore(titles(), kSlice, &done).isOk() || done)
            titleWordsTimer_->stop(); // a failed read is read again, and told, at the next key
    });
    QuickFilter->installEventFilter(new FilterKeys(
        this, [this] { QuickFilterClear(); }, [this] { readTitleWordsLater(); }));
    connect(QuickFilter, &QLineEdit::textChanged, this, &TForm1::QuickFilterChange);
    // A post changes a title, or adds one: its words as they now are.
    connect(Table1, &rk::fw::Dataset::afterPost, this,
            [this] { titleWords_.put(Table1->recNo(), rk::fw::toCp1252(Table1->text("TITLE"))); });
    connect(Table1, &rk::fw::Dataset::setChanged, this, &TForm1::quickFilterSetChanged);
}

void TForm1::readTitleWordsLater() {
    if (ready_ && !titleWords_.indexed() && !titleWordsTimer_->isActive())
        titleWordsTimer_->start();
}

// The words of every title, read now when the idle reading has not finished.
bool TForm1::finishTitleWords() {
    titleWordsTimer_->stop();
    if (titleWords_.indexed() && titleWords_.size() >= titles().recCount()) return true;
    rk::Status read;
    {
        rk::mainwin::Hourglass wait;
        read = titleWords_.readAll(titles());
    }
    if (read) return true;
    titleWords_.clear();
    rk::fw::showStatus(this, QStringLiteral("The titles could not be read for the filter."), read,
                       QStringLiteral("Reelkeeper"));
    return false;
}

void TForm1::QuickFilterChange() {
    if (!ready_ || closing_) return;
    std::shared_ptr<const std::vector<uint8_t>> flags;
    if (!QuickFilter->text().trimmed().isEmpty()) {
        if (!finishTitleWords()) return;
        if (quickFilter_.set(rk::fw::toCp1252(QuickFilter->text()))) flags = quickFilter_.flags();
    } else {
        quickFilter_.reset();
    }
    if (!flags && !titles().filtered()) return showFilterCount();
    // A changed title that cannot be posted is told through postFailed; the list stays.
    if (Table1->setFilter(flags).isOk()) showFilterCount();
}

void TForm1::QuickFilterClear() {
    QuickFilter->clear(); // textChanged: the filter goes
}

// The views changed the titles in view, or the table was opened again (a pack renumbers the
// titles, the full-text build reopens the table): the count follows, and a filter the table
// dropped is set again.
void TForm1::quickFilterSetChanged() {
    if (!ready_ || closing_ || !titles().isOpen()) return;
    if (titles().recCount() < titleWords_.size()) {
        titleWords_.clear();
        quickFilter_.reset();
    }
    if (!QuickFilter->text().trimmed().isEmpty() && !titles().filtered())
        QTimer::singleShot(0, this, &TForm1::QuickFilterChange);
    else
        showFilterCount();
}

void TForm1::showFilterCount() {
    if (!titles().filtered()) {
        if (!statusBeforeFilter_.isNull()) setStatusPanelText(1, statusBeforeFilter_);
        statusBeforeFilter_ = QString();
        return;
    }
    if (statusBeforeFilter_.isNull()) statusBeforeFilter_ = statusPanelText(1);
    const int n = titleModel_->rowCount();
    setStatusPanelText(1, n == 1 ? QStringLiteral("Quick filter: 1 title passes")
                                 : QStringLiteral("Quick filter: %1 titles pass").arg(n));
}
