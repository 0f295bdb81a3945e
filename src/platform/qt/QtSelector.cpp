// The record selector: a drop-down list over a model of titles, with uniform item sizes so that 32,767 entries drop down at once. It reports the drop-down
// before it happens, and every change of the selection by the user, by any route.
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QLayout>
#include <QListView>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "platform/Placement.h"
#include "platform/qt/QtPrivate.h"

class SelectorModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(titles.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(titles.size())) return QVariant();
        if (role == Qt::DisplayRole) return ToQString(titles[static_cast<std::size_t>(index.row())]);
        return QVariant();
    }
    void append(std::vector<std::string>&& added) {
        if (added.empty()) return;
        widest = -1;
        int first = static_cast<int>(titles.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
        for (std::string& title : added) titles.push_back(std::move(title));
        endInsertRows();
    }
    void insert(int position, const std::string& title) {
        widest = -1;
        beginInsertRows(QModelIndex(), position, position);
        titles.insert(titles.begin() + position, title);
        endInsertRows();
    }
    void setTitle(int position, const std::string& title) {
        widest = -1;
        titles[static_cast<std::size_t>(position)] = title;
        QModelIndex at = index(position);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
    void remove(int position) {
        widest = -1;
        beginRemoveRows(QModelIndex(), position, position);
        titles.erase(titles.begin() + position);
        endRemoveRows();
    }
    void clear() {
        widest = -1;
        beginResetModel();
        titles.clear();
        endResetModel();
    }
    std::vector<std::string> titles;  // UTF-8
    // The widest title in measuredFont, or -1 once the titles changed: a list opened again
    // and again is measured once.
    int widest = -1;
    QFont measuredFont;
};

SelectorModel* ModelOf(JcSelector* selector) { return static_cast<SelectorModel*>(selector->model()); }

JcSelector::JcSelector(int window, QWidget* parent) : QComboBox(parent), window_(window) {
    setModel(new SelectorModel(this));
    QListView* list = new QListView(this);
    list->setUniformItemSizes(true);
    setView(list);
    // A list that drops down below the field, as on other desktops, whatever the style. The
    // view was set up for the style's own popup, which scrolls by arrows instead of a bar.
    setStyleSheet(QStringLiteral("combobox-popup: 0;"));
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setMaxVisibleItems(20);
    // The field has a fixed width; measuring every title for a size hint would cost a pass
    // over all entries.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, qOverload<int>(&QComboBox::activated), this, [this] {
        SendMessage(window_, Message{kMessageSelectorChanged, 0, std::string()});
    });
}

void JcSelector::showPopup() {
    keepClosed_ = false;
    SendMessage(window_, Message{kMessageSelectorDropping, 0, std::string()});
    if (keepClosed_) return;
    // As wide as the longest title, up to the screen's width; the toolkit fits its height
    // above or below the field, and the frame around the list is known only once shown.
    const QRect area = screen()->availableGeometry();
    view()->setMinimumWidth(std::max(std::min(titlesWidth(), area.width()), width()));
    QComboBox::showPopup();
    QWidget* list = view()->window();
    if (list == window()) return;
    int excess = list->width() - area.width();
    if (excess > 0) {
        view()->setMinimumWidth(view()->minimumWidth() - excess);
        if (list->layout()) list->layout()->activate();
    }
    Rect fitted = FitIntoArea(ToRect(list->geometry()), ToRect(area));
    list->setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
}

// The widest title is among the longest in bytes: only those are measured, not 32,767.
int JcSelector::titlesWidth() {
    SelectorModel* model = ModelOf(this);
    if (model->widest < 0 || model->measuredFont != view()->font()) {
        QFontMetrics metrics(view()->font());
        model->widest = 0;
        model->measuredFont = view()->font();
        for (std::size_t row : LongestEntries(model->titles, kMeasuredTitles))
            model->widest = std::max(model->widest,
                                     metrics.horizontalAdvance(
                                         model->data(model->index(static_cast<int>(row)), Qt::DisplayRole).toString()));
    }
    // The item's text margins, the view's frame and its scroll bar.
    int margins = 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view()) + 2 * view()->frameWidth() +
                  style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view()) + 8;
    return model->widest + margins;
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
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->titles.reserve(static_cast<std::size_t>(count));
}

void AddSelectorTitles(int gadget, std::vector<std::string>&& titles) {
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->append(std::move(titles));
}

void InsertSelectorTitle(int gadget, int position, const std::string& title) {
    if (JcSelector* selector = Selector(gadget)) ModelOf(selector)->insert(position, title);
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

std::string SelectorTitle(int gadget, int position) {
    JcSelector* selector = Selector(gadget);
    if (!selector || position < 0 || position >= selector->count()) return std::string();
    return ModelOf(selector)->titles[static_cast<std::size_t>(position)];
}
