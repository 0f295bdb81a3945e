// The "Find in All Records" window: modeless, owned by the main window, forgotten when closed.
// A pause in typing (or a changed box) reports the term; ENTER or a double-click on a row, the
// row. The rows show the title and the matching line with the match marked.
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/QtPrivate.h"

namespace {

enum RowRole { kRoleTitle = Qt::UserRole, kRoleBefore, kRoleMatch, kRoleAfter };

// Title in bold, then the line with the match on the selection colour.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter);
        QRect r = option.rect.adjusted(4, 0, -4, 0);
        bool selected = option.state & QStyle::State_Selected;
        QPalette::ColorRole textRole = selected ? QPalette::HighlightedText : QPalette::Text;
        painter->save();
        QFont bold = option.font;
        bold.setBold(true);
        auto draw = [&](const QString& text, const QFont& font, bool marked) {
            if (r.width() <= 0 || text.isEmpty()) return;
            QFontMetrics metrics(font);
            QString shown = metrics.elidedText(text, Qt::ElideRight, r.width());
            int width = metrics.horizontalAdvance(shown);
            if (marked) painter->fillRect(QRect(r.left(), r.top() + 1, width, r.height() - 2), option.palette.color(QPalette::Highlight).lighter(selected ? 140 : 170));
            painter->setFont(font);
            painter->setPen(option.palette.color(marked && !selected ? QPalette::Text : textRole));
            painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, shown);
            r.setLeft(r.left() + width);
        };
        draw(index.data(kRoleTitle).toString() + QStringLiteral("   "), bold, false);
        draw(index.data(kRoleBefore).toString(), option.font, false);
        draw(index.data(kRoleMatch).toString(), option.font, true);
        draw(index.data(kRoleAfter).toString(), option.font, false);
        painter->restore();
    }
};

class FindAllWindow : public QWidget {
public:
    explicit FindAllWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
        setWindowTitle(tr("Find in All Records"));
        setAttribute(Qt::WA_DeleteOnClose);
        term_ = new QLineEdit(this);
        QLabel* label = new QLabel(tr("Fi&nd:"), this);
        label->setBuddy(term_);
        matchCase_ = new QCheckBox(tr("Match &case"), this);
        wholeWord_ = new QCheckBox(tr("&Whole word"), this);
        rows_ = new QListWidget(this);
        rows_->setAccessibleName(tr("Results"));
        rows_->setItemDelegate(new RowDelegate(rows_));
        rows_->setUniformItemSizes(true);
        status_ = new QLabel(this);
        status_->setTextFormat(Qt::PlainText);  // it can hold a file's name and an error's reason
        pause_ = new QTimer(this);
        pause_->setSingleShot(true);
        pause_->setInterval(kFindAllTypingPauseMs);
        connect(pause_, &QTimer::timeout, this, [this] { report(); });
        connect(term_, &QLineEdit::textChanged, this, [this] {
            pause_->start();
            SendMessage(MainWindowNumber(), Message{kMessageFindAllEdited, 0, std::string()});
        });
        connect(matchCase_, &QCheckBox::toggled, this, [this] { report(); });
        connect(wholeWord_, &QCheckBox::toggled, this, [this] { report(); });
        connect(rows_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            SendMessage(MainWindowNumber(), Message{kMessageFindAllChosen, rows_->row(item), std::string()});
        });
        term_->installEventFilter(this);
        QHBoxLayout* field = new QHBoxLayout;
        field->addWidget(label);
        field->addWidget(term_, 1);
        field->addWidget(matchCase_);
        field->addWidget(wholeWord_);
        QVBoxLayout* layout = new QVBoxLayout(this);
        layout->addLayout(field);
        layout->addWidget(rows_, 1);
        layout->addWidget(status_);
        resize(560, 360);
    }
    void addRows(const std::vector<FindAllRow>& rows) {
        for (const FindAllRow& row : rows) {
            QListWidgetItem* item = new QListWidgetItem(rows_);
            QString before = ToQString(row.before), match = ToQString(row.match), after = ToQString(row.after);
            item->setText(ToQString(row.title) + QStringLiteral(": ") + before + match + after);  // for screen readers
            item->setData(kRoleTitle, ToQString(row.title));
            item->setData(kRoleBefore, before);
            item->setData(kRoleMatch, match);
            item->setData(kRoleAfter, after);
        }
    }
    void clearRows() { rows_->clear(); }
    void setStatus(const QString& text) { status_->setText(text); }
    void focusTerm() {
        term_->setFocus();
        term_->selectAll();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // DOWN leaves the field for the first result.
        if (watched == term_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && rows_->count() > 0) {
            rows_->setFocus();
            if (rows_->currentRow() < 0) rows_->setCurrentRow(0);
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        pause_->stop();
        SendMessage(MainWindowNumber(), Message{kMessageFindAllClosed, 0, std::string()});
        QWidget::closeEvent(event);
    }

private:
    void report() {
        pause_->stop();
        int flags = (matchCase_->isChecked() ? kFindMatchCase : 0) | (wholeWord_->isChecked() ? kFindWholeWord : 0);
        SendMessage(MainWindowNumber(), Message{kMessageFindAllTerm, flags, ToUtf8(term_->text())});
    }

    QLineEdit* term_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QListWidget* rows_;
    QLabel* status_;
    QTimer* pause_;
};

QPointer<FindAllWindow> s_window;

}  // namespace

void OpenFindAllWindow() {
    if (!s_window) {
        s_window = new FindAllWindow(WindowWidget(MainWindowNumber()));
        KeepAboveMainWindow(s_window);
        PlaceBesideMainWindow(s_window);
    }
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    s_window->focusTerm();
}

bool FindAllWindowExists() { return s_window && s_window->isVisible(); }

void AddFindAllRows(const std::vector<FindAllRow>& rows) {
    if (s_window) s_window->addRows(rows);
}

void ClearFindAllRows() {
    if (s_window) s_window->clearRows();
}

void SetFindAllStatus(const std::string& text) {
    if (s_window) s_window->setStatus(ToQString(text));
}

bool IsWordPart(char16_t c) { return QChar(c).isLetterOrNumber() || c == u'_'; }

std::u16string FoldCase(std::u16string_view text) { return std::u16string(View(FoldFully(FromView(text)))); }
