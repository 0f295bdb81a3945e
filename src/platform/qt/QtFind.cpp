// The find dialog: modeless, owned by the main window, with the fields of the classic one
// (text, whole word, match case, direction, Find Next, Cancel). And the search itself.
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "platform/qt/QtPrivate.h"
#include "platform/qt/QtText.h"

namespace {

class FindDialog : public QWidget {
public:
    explicit FindDialog(QWidget* owner) : QWidget(owner, Qt::Dialog) {
        setWindowTitle(tr("Find"));
        setAttribute(Qt::WA_DeleteOnClose);
        text_ = new QLineEdit(this);
        text_->setMaxLength(kFindTermLimit);
        QLabel* label = new QLabel(tr("Fi&nd what:"), this);
        label->setBuddy(text_);
        wholeWord_ = new QCheckBox(tr("Match &whole word only"), this);
        matchCase_ = new QCheckBox(tr("Match &case"), this);
        QGroupBox* direction = new QGroupBox(tr("Direction"), this);
        up_ = new QRadioButton(tr("&Up"), direction);
        down_ = new QRadioButton(tr("&Down"), direction);
        down_->setChecked(true);
        up_->installEventFilter(this);
        down_->installEventFilter(this);
        QHBoxLayout* directions = new QHBoxLayout(direction);
        directions->addWidget(up_);
        directions->addWidget(down_);
        findNext_ = new QPushButton(tr("&Find Next"), this);
        findNext_->setDefault(true);
        QPushButton* cancel = new QPushButton(tr("Cancel"), this);
        connect(findNext_, &QPushButton::clicked, this, [this] { report(kFindNextFlag | flags()); });
        connect(cancel, &QPushButton::clicked, this, &QWidget::close);
        connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) { findNext_->setEnabled(!text.isEmpty()); });
        QHBoxLayout* row = new QHBoxLayout;
        row->addWidget(label);
        row->addWidget(text_);
        QVBoxLayout* options = new QVBoxLayout;
        options->addWidget(wholeWord_);
        options->addWidget(matchCase_);
        QHBoxLayout* lower = new QHBoxLayout;
        lower->addLayout(options);
        lower->addWidget(direction);
        QVBoxLayout* left = new QVBoxLayout;
        left->addLayout(row);
        left->addLayout(lower);
        QVBoxLayout* buttons = new QVBoxLayout;
        buttons->addWidget(findNext_);
        buttons->addWidget(cancel);
        buttons->addStretch();
        QHBoxLayout* layout = new QHBoxLayout(this);
        layout->addLayout(left);
        layout->addLayout(buttons);
    }
    void setTerm(const QString& term) {
        text_->setText(term);
        findNext_->setEnabled(!term.isEmpty());
        text_->selectAll();
    }
    QString term() const { return text_->text(); }

protected:
    // TAB and SHIFT+TAB enter the directions at the one chosen, as in the classic dialog; the
    // arrow keys choose within them.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && (watched == up_ || watched == down_)) {
            Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QRadioButton* chosen = up_->isChecked() ? up_ : down_;
            if (watched != chosen && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
                chosen->setFocus(reason);
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    void closeEvent(QCloseEvent* event) override {
        report(kFindClosing);
        QWidget::closeEvent(event);
    }
    // ENTER presses the focused button, else Find Next, from every control of the dialog, as
    // in a dialog with a default button.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            close();
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            QPushButton* focused = qobject_cast<QPushButton*>(focusWidget());
            QPushButton* button = focused ? focused : findNext_;
            if (button->isEnabled()) button->click();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    int flags() const {
        return (down_->isChecked() ? kFindDown : 0) | (wholeWord_->isChecked() ? kFindWholeWord : 0) |
               (matchCase_->isChecked() ? kFindMatchCase : 0);
    }
    void report(int flags) { SendMessage(MainWindowNumber(), Message{kMessageFindReport, flags, ToUtf8(term())}); }

    QLineEdit* text_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QPushButton* findNext_;
};

QPointer<FindDialog> s_dialog;

}  // namespace

void OpenFindDialog(const std::string& term) {
    if (!s_dialog) {
        s_dialog = new FindDialog(WindowWidget(MainWindowNumber()));
        KeepAboveMainWindow(s_dialog);
        s_dialog->adjustSize();
        PlaceBesideMainWindow(s_dialog);
    }
    s_dialog->setTerm(ToQString(term));
    s_dialog->show();
    s_dialog->raise();
    s_dialog->activateWindow();
}

bool FindDialogExists() { return s_dialog && s_dialog->isVisible(); }

std::string FindDialogTerm() { return s_dialog ? ToUtf8(s_dialog->term()) : std::string(); }

namespace {

bool IsWholeWordAt(const QString& text, qsizetype at, qsizetype length) {
    return (at == 0 || !IsWordPart(text[at - 1].unicode())) &&
           (at + length == text.size() || !IsWordPart(text[at + length].unicode()));
}

}  // namespace

// The document's own search stops at each line break, so a term of several lines is searched
// for in the raw text, where a line break is one character as it is in the document.
// Backward, only matches that end at or before the selection's start count, so a term that
// overlaps itself ("aa" in "aaaa") steps by whole occurrences.
int FindInEditor(int gadget, const std::string& term, int from, int flags, int* length) {
    QPlainTextEdit* editor = dynamic_cast<QPlainTextEdit*>(GadgetWidget(gadget));
    QString needle = ToQString(term);
    needle.replace(QStringLiteral("\r\n"), QChar(QChar::ParagraphSeparator));
    needle.replace(u'\n', QChar(QChar::ParagraphSeparator));
    if (!editor || needle.isEmpty()) return -1;
    const QString text = editor->document()->toRawText();
    // Without Match Case both sides are folded fully, as find in all records folds them, so a
    // match it listed ("strasse" in "Straße") is found here too; sources lead back to the text.
    bool folding = !(flags & kFindMatchCase);
    std::vector<qsizetype> sources;
    const QString searched = folding ? FoldFully(text, &sources) : text;
    if (folding) needle = FoldFully(needle);
    auto source = [&](qsizetype k) { return folding ? sources[static_cast<std::size_t>(k)] : k; };
    auto folded = [&](qsizetype position) {
        if (!folding) return position;
        return static_cast<qsizetype>(std::lower_bound(sources.begin(), sources.end(), position) - sources.begin());
    };
    bool down = flags & kFindDown;
    qsizetype at = down ? folded(from) : folded(from) - needle.size();
    while (at >= 0 && at <= searched.size()) {
        at = down ? searched.indexOf(needle, at) : searched.lastIndexOf(needle, at);
        if (at < 0) break;
        qsizetype start = source(at), end = source(at + needle.size() - 1) + 1;
        if (!(flags & kFindWholeWord) || IsWholeWordAt(text, start, end - start)) {
            *length = static_cast<int>(end - start);
            return static_cast<int>(start);
        }
        at += down ? 1 : -1;
    }
    return -1;
}
