// The gadgets of the find windows on Qt: text fields, labels, radio buttons and result lists,
// and the editor's text as the searches read it.
#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <map>

#include "platform/qt/QtPrivate.h"

namespace {

enum RowRole { kRoleTitle = Qt::UserRole, kRoleBefore, kRoleMatch, kRoleAfter };

// Title in bold, then the line with the match on a light selection colour.
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
            QColor mark = option.palette.color(QPalette::Highlight).lighter(selected ? 140 : 170);
            if (marked) painter->fillRect(QRect(r.left(), r.top() + 1, width, r.height() - 2), mark);
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

// TAB and SHIFT+TAB enter a group of radio buttons at the one chosen; DOWN in a field that
// leads a result list moves to its first row.
class KeyFilter : public QObject {
public:
    std::map<QObject*, QListWidget*> lists;  // by their fields

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QRadioButton* radio = qobject_cast<QRadioButton*>(watched);
        if (radio && event->type() == QEvent::FocusIn && radio->group() && !radio->isChecked()) {
            Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QAbstractButton* chosen = radio->group()->checkedButton();
            if (chosen && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
                chosen->setFocus(reason);
                return true;
            }
        }
        auto list = lists.find(watched);
        if (list != lists.end() && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && list->second->count() > 0) {
            list->second->setFocus();
            if (list->second->currentRow() < 0) list->second->setCurrentRow(0);
            return true;
        }
        return false;
    }
};

KeyFilter* Filter() {
    static KeyFilter* filter = new KeyFilter;
    return filter;
}

std::map<int, QPointer<QButtonGroup>> s_groups;  // the group that radio buttons join, by window

void Place(QWidget* widget, int window, int gadget, Rect r) {
    widget->setGeometry(r.x, r.y, r.width, r.height);
    RegisterGadget(window, gadget, widget);
}

}  // namespace

void CreateTextField(int window, int gadget, Rect r, int limit) {
    QLineEdit* field = new QLineEdit(WindowWidget(window));
    field->setMaxLength(limit);
    QObject::connect(field, &QLineEdit::textChanged, [window, gadget] {
        SendMessage(window, Message{kMessageTextEdited, gadget, std::string()});
    });
    Place(field, window, gadget, r);
}

void SetGadgetText(int gadget, const std::string& text) {
    QWidget* widget = GadgetWidget(gadget);
    if (QLineEdit* field = qobject_cast<QLineEdit*>(widget)) {
        // Qt would cut at the limit even between the halves of a pair.
        QString value = ToQString(text);
        value.truncate(
            static_cast<qsizetype>(UnitsWithinLimit(View(value), static_cast<std::size_t>(field->maxLength()))));
        field->setText(value);
        field->selectAll();
    } else if (QLabel* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQString(text));
    }
}

std::string GadgetText(int gadget) {
    QWidget* widget = GadgetWidget(gadget);
    if (QLineEdit* field = qobject_cast<QLineEdit*>(widget)) return ToUtf8(field->text());
    if (QLabel* label = qobject_cast<QLabel*>(widget)) return ToUtf8(label->text());
    return std::string();
}

void CreateLabel(int window, int gadget, Rect r, const std::string& text, int buddy) {
    QLabel* label = new QLabel(ToQString(text), WindowWidget(window));
    if (buddy && GadgetWidget(buddy)) label->setBuddy(GadgetWidget(buddy));
    else label->setTextFormat(Qt::PlainText);  // it can hold a file's name and an error's reason
    Place(label, window, gadget, r);
}

void CreateRadioButton(int window, int gadget, Rect r, const std::string& label, bool startsGroup) {
    QWidget* parent = WindowWidget(window);
    QRadioButton* radio = new QRadioButton(ToQString(label), parent);
    QPointer<QButtonGroup>& group = s_groups[window];
    if (startsGroup || !group || group->parent() != parent) group = new QButtonGroup(parent);
    group->addButton(radio);
    radio->installEventFilter(Filter());
    QObject::connect(radio, &QRadioButton::clicked, [window, gadget] {
        DeliverWindowEvent(Event{kEventGadget, window, gadget});
    });
    Place(radio, window, gadget, r);
}

void CreateResultList(int window, int gadget, Rect r, int field) {
    QListWidget* rows = new QListWidget(WindowWidget(window));
    rows->setItemDelegate(new RowDelegate(rows));
    rows->setUniformItemSizes(true);
    QObject::connect(rows, &QListWidget::itemActivated, [window, gadget] {
        DeliverWindowEvent(Event{kEventGadget, window, gadget});
    });
    if (QWidget* leader = GadgetWidget(field)) {
        Filter()->lists[leader] = rows;
        leader->installEventFilter(Filter());
        QObject::connect(leader, &QObject::destroyed, [leader] { Filter()->lists.erase(leader); });
    }
    Place(rows, window, gadget, r);
}

void AddResultRows(int gadget, const std::vector<ResultRow>& rows) {
    QListWidget* list = qobject_cast<QListWidget*>(GadgetWidget(gadget));
    if (!list) return;
    for (const ResultRow& row : rows) {
        QListWidgetItem* item = new QListWidgetItem(ToQString(SpokenResultRow(row)), list);
        item->setData(kRoleTitle, ToQString(row.title));
        item->setData(kRoleBefore, ToQString(row.before));
        item->setData(kRoleMatch, ToQString(row.match));
        item->setData(kRoleAfter, ToQString(row.after));
    }
}

void SelectResultRow(int gadget, int row) {
    if (QListWidget* list = qobject_cast<QListWidget*>(GadgetWidget(gadget))) list->setCurrentRow(row);
}

void ClearResultRows(int gadget) {
    if (QListWidget* list = qobject_cast<QListWidget*>(GadgetWidget(gadget))) list->clear();
}

int SelectedResultRow(int gadget) {
    QListWidget* list = qobject_cast<QListWidget*>(GadgetWidget(gadget));
    return list && list->currentItem() ? list->currentRow() : -1;
}

std::u16string EditorPlainText(int gadget) {
    QPlainTextEdit* editor = qobject_cast<QPlainTextEdit*>(GadgetWidget(gadget));
    if (!editor) return std::u16string();
    QString text = editor->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), u'\n');
    return std::u16string(View(text));
}
