// The record selector: a drop-down list over a model of titles and slot indexes, with
// uniform item sizes so that 32,767 entries drop down at once. It reports the drop-down
// before it happens, and every change of the selection by the user, by any route.
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>

#include "platform/qt/QtPrivate.h"

class SelectorModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(titles.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(titles.size())) return QVariant();
        if (role == Qt::DisplayRole) return Title(titles[static_cast<std::size_t>(index.row())]);
        if (role == Qt::UserRole) return QVariant::fromValue<qint64>(slotIndexes[static_cast<std::size_t>(index.row())]);
        return QVariant();
    }
    void append(std::vector<SelectorEntry>&& entries) {
        if (entries.empty()) return;
        int first = static_cast<int>(titles.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
        for (SelectorEntry& entry : entries) {
            titles.push_back(std::move(entry.title));
            slotIndexes.push_back(entry.slot);
        }
        endInsertRows();
    }
    void insert(int position, const SelectorEntry& entry) {
        beginInsertRows(QModelIndex(), position, position);
        titles.insert(titles.begin() + position, entry.title);
        slotIndexes.insert(slotIndexes.begin() + position, entry.slot);
        endInsertRows();
    }
    void setTitle(int position, const std::string& title) {
        titles[static_cast<std::size_t>(position)] = title;
        QModelIndex at = index(position);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
    void remove(int position) {
        beginRemoveRows(QModelIndex(), position, position);
        titles.erase(titles.begin() + position);
        slotIndexes.erase(slotIndexes.begin() + position);
        endRemoveRows();
    }
    void clear() {
        beginResetModel();
        titles.clear();
        slotIndexes.clear();
        endResetModel();
    }
    std::vector<std::string> titles;  // UTF-8
    std::vector<std::int64_t> slotIndexes;

private:
    // A title is one line: any line end left in it shows as a blank.
    static QString Title(const std::string& utf8) {
        QString title = ToQString(utf8);
        title.replace(QChar('\r'), QChar(' '));
        title.replace(QChar('\n'), QChar(' '));
        return title;
    }
};

SelectorModel* ModelOf(JcSelector* selector) { return static_cast<SelectorModel*>(selector->model()); }

JcSelector::JcSelector(int window, QWidget* parent) : QComboBox(parent), window_(window) {
    setModel(new SelectorModel(this));
    QListView* list = new QListView(this);
    list->setUniformItemSizes(true);
    setView(list);
    // A list that drops down below the field, as on other desktops, whatever the style.
    setStyleSheet(QStringLiteral("combobox-popup: 0;"));
    setMaxVisibleItems(20);
    // The field has a fixed width; measuring every title for a size hint would cost a pass
    // over all entries.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, qOverload<int>(&QComboBox::activated), this,
            [this] { SendMessage(window_, Message{kMessageSelectorChanged, 0, std::string()}); });
}

void JcSelector::showPopup() {
    keepClosed_ = false;
    SendMessage(window_, Message{kMessageSelectorDropping, 0, std::string()});
    if (!keepClosed_) QComboBox::showPopup();
}

// The list closes by itself too when the selector is disabled (the find dialog opening): only
// a list that was open reports its closing, which moves the focus to the editor.
void JcSelector::hidePopup() {
    bool wasOpen = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen) SendMessage(window_, Message{kMessageSelectorClosed, 0, std::string()});
}


namespace {

JcSelector* Selector(int gadget) { return dynamic_cast<JcSelector*>(GadgetWidget(gadget)); }

}  // namespace

void CreateSelector(int window, int gadget, Rect r) {
    JcSelector* selector = new JcSelector(window, WindowWidget(window));
    selector->setGeometry(r.x, r.y, r.width, r.height);
    RegisterGadget(window, gadget, selector);
}

void ClearSelector(int gadget) {
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->clear();
}

void ReserveSelector(int gadget, int count) {
    if (JcSelector* selector = Selector(gadget)) {
        ModelOf(selector)->titles.reserve(static_cast<std::size_t>(count));
        ModelOf(selector)->slotIndexes.reserve(static_cast<std::size_t>(count));
    }
}

void AddSelectorEntries(int gadget, std::vector<SelectorEntry>&& entries) {
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->append(std::move(entries));
}

void InsertSelectorEntry(int gadget, int position, const SelectorEntry& entry) {
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->insert(position, entry);
}

void RemoveSelectorEntry(int gadget, int position) {
    JcSelector* selector = Selector(gadget);
    if (selector && position >= 0 && position < selector->count()) ModelOf(selector)->remove(position);
}

int SelectorCount(int gadget) {
    JcSelector* selector = Selector(gadget);
    return selector ? selector->count() : 0;
}

int SelectedEntry(int gadget) {
    JcSelector* selector = Selector(gadget);
    return selector ? selector->currentIndex() : -1;
}

void SelectEntry(int gadget, int position) {
    if (JcSelector* selector = Selector(gadget)) selector->setCurrentIndex(position);
}

void SetSelectorTitle(int gadget, int position, const std::string& title) {
    JcSelector* selector = Selector(gadget);
    if (selector && position >= 0 && position < selector->count()) ModelOf(selector)->setTitle(position, title);
}

void KeepSelectorClosed(int gadget) {
    if (JcSelector* selector = Selector(gadget)) selector->keepClosed();
}

SelectorEntry SelectorEntryAt(int gadget, int position) {
    JcSelector* selector = Selector(gadget);
    if (!selector || position < 0 || position >= selector->count()) return SelectorEntry{std::string(), -1};
    SelectorModel* model = ModelOf(selector);
    return SelectorEntry{model->titles[static_cast<std::size_t>(position)], model->slotIndexes[static_cast<std::size_t>(position)]};
}
