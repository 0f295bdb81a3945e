// The editor: a plain-text edit that tells the editor procedure about typing, cutting,
// pasting, undo, redo, the right button and CTRL+wheel before acting; zooms by scaling its
// font; shows links found by the program's detector; and refuses, by every route, text that
// a save could not store in 32,000 bytes.
#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QToolTip>

#include "platform/qt/QtPrivate.h"

namespace {

class LinkHighlighter : public QSyntaxHighlighter {
public:
    LinkHighlighter(QTextDocument* document, LinkDetector detector)
        : QSyntaxHighlighter(document), detector_(detector) {
        format_.setFontUnderline(true);
        format_.setForeground(QColor(0x00, 0x66, 0xCC));
    }

protected:
    void highlightBlock(const QString& text) override {
        for (const LinkSpan& span : detector_(View(text))) setFormat(span.start, span.length, format_);
    }

private:
    LinkDetector detector_;
    QTextCharFormat format_;
};

bool IsEnter(const QKeyEvent* event) { return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter; }

// Whether a key press is one that produces a character in a classic edit control: printable
// text, RETURN, TAB, BACKSPACE, ESC, and the control characters of CTRL+letter.
bool ProducesCharacter(const QKeyEvent* event) {
    if (!event->text().isEmpty()) return true;
    int key = event->key();
    if (IsEnter(event) || key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Backspace ||
        key == Qt::Key_Escape)
        return true;
    Qt::KeyboardModifiers modifiers = event->modifiers();
    return (modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier) && key >= Qt::Key_A && key <= Qt::Key_Z;
}

// The text a key press inserts, or empty: the test of the toolkit's own text input, so
// that every key it types passes the byte limit first.
QString TypedText(const QKeyEvent* event) {
    if (IsEnter(event)) return QStringLiteral("\n");
    QString text = event->text();
    if (text.isEmpty()) return QString();
    QChar c = text.at(0);
    if (c.category() == QChar::Other_Format) return text;
    Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier)) return QString();
    bool typed = c.isPrint() || c.category() == QChar::Other_PrivateUse || c == QChar('\t') ||
                 (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
    return typed ? text : QString();
}

}  // namespace

JcEditor::JcEditor(int window, QWidget* parent, LinkDetector detector, const EditorTextRules& rules)
    : QPlainTextEdit(parent), window_(window), detector_(detector), rules_(rules) {
    setContextMenuPolicy(Qt::PreventContextMenu);
    setTabChangesFocus(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    document()->setDocumentMargin(8);
    if (detector_) new LinkHighlighter(document(), detector_);
    // Highlighting reports a change of contents too; only a new revision is an edit.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (document()->revision() == revision_) return;
        revision_ = document()->revision();
        if (!settingText_) tell(kInputChanged);
    });
}

void JcEditor::tell(EditorInputKind kind, int x, int y) {
    if (procedure_) procedure_(EditorInput{kind, x, y});
}

void JcEditor::setRecordText(const std::string& bytes) {
    encoding_ = rules_.encodingOf(bytes);
    settingText_ = true;
    setPlainText(FromView(rules_.decode(bytes)));
    document()->setModified(false);
    settingText_ = false;
}

TextEncoding JcEditor::storedText(std::string* bytes) const {
    return rules_.encode(View(document()->toRawText()), encoding_, bytes);
}

void JcEditor::setBaseFont(const QFont& font) {
    baseFont_ = font;
    setZoom(zoom_);
}

bool JcEditor::setZoom(int percent) {
    if (percent <= 0) return false;
    zoom_ = percent;
    QFont font = baseFont_;
    font.setPointSizeF(baseFont_.pointSizeF() * percent / 100.0);
    // Changing the font re-lays the text out but is no edit.
    settingText_ = true;
    setFont(font);
    settingText_ = false;
    return true;
}

void JcEditor::runCommand(EditorAction command) {
    switch (command) {
        case kEditSelectAll:
            selectAll();
            break;
        case kEditCut:
            cut();
            break;
        case kEditCopy:
            copy();
            break;
        case kEditPaste:
            paste();
            break;
        case kEditUndo:
            undo();
            break;
        case kEditRedo:
            redo();
            break;
    }
}

bool JcEditor::canRun(EditorAction command) const {
    switch (command) {
        case kEditPaste:
            return canPaste();
        case kEditUndo:
            return document()->isUndoAvailable();
        case kEditRedo:
            return document()->isRedoAvailable();
        default:
            return true;
    }
}

void JcEditor::keyPressEvent(QKeyEvent* event) {
    if (zoomByKey(event)) return;
    // The menu key and SHIFT+F10 open the context menu below the caret.
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        QPoint at = viewport()->mapToGlobal(cursorRect().bottomLeft());
        tell(kInputContextMenu, at.x(), at.y());
        event->accept();
        return;
    }
    // CTRL+Y redoes, as on Windows; Qt's own redo key differs between systems.
    if (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
        if (!isReadOnly()) redo();
        event->accept();
        return;
    }
    if (ProducesCharacter(event)) tell(kInputCharacter);
    // SHIFT+ENTER makes the same line break as ENTER (the line separator that the editor
    // would put there is no line of a record), SHIFT+TAB the same TAB, which it would drop.
    bool backTab = event->key() == Qt::Key_Backtab;
    if (backTab || (IsEnter(event) && (event->modifiers() & Qt::ShiftModifier))) {
        QKeyEvent plain(event->type(), backTab ? Qt::Key_Tab : event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        backTab ? QStringLiteral("\t") : event->text(), event->isAutoRepeat(), event->count());
        typeKey(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    typeKey(event);
}

void JcEditor::typeKey(QKeyEvent* event) {
    QString typed = TypedText(event);
    if (!typed.isEmpty() && !isReadOnly()) {
        QString clean = cleaned(typed);
        if (fitting(clean).size() < clean.size()) {
            tell(kInputRefused);
            event->accept();
            return;
        }
        if (clean != typed) {
            textCursor().insertText(clean);
            ensureCursorVisible();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

QString JcEditor::cleaned(const QString& text) const { return FromView(rules_.clean(View(text))); }

// What of an insertion fits beside the text that stays, counted as a save would store the
// result; cut so that no character is split.
QString JcEditor::fitting(const QString& insertion) const {
    QString text = document()->toRawText();
    QTextCursor cursor = textCursor();
    std::size_t fits =
        rules_.fitting(View(text), static_cast<std::size_t>(cursor.selectionStart()),
                       static_cast<std::size_t>(cursor.selectionEnd()), View(insertion), encoding_, kEditorStoredLimit);
    return insertion.left(static_cast<qsizetype>(fits));
}

// Paste, drops and the middle button all arrive here.
bool JcEditor::canInsertFromMimeData(const QMimeData* source) const { return source->hasText() && !isReadOnly(); }

void JcEditor::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText() || isReadOnly()) return;
    QString text = cleaned(source->text());
    QString fitted = fitting(text);
    if (fitted.size() < text.size()) tell(kInputRefused);
    if (fitted.isEmpty()) return;
    textCursor().insertText(fitted);
    ensureCursorVisible();
}

void JcEditor::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        event->accept();
        return;
    }
    QString commit = event->commitString();
    QString fitted = commit.isEmpty() ? commit : fitting(cleaned(commit));
    if (fitted == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (fitted.size() < cleaned(commit).size()) tell(kInputRefused);
    QInputMethodEvent changed(event->preeditString(), event->attributes());
    changed.setCommitString(fitted, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&changed);
    event->setAccepted(changed.isAccepted());
}

void JcEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        QPoint global = event->globalPosition().toPoint();
        tell(kInputContextMenu, global.x(), global.y());
    }
    QPlainTextEdit::mousePressEvent(event);
}

void JcEditor::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    QString link = linkAt(event->position().toPoint());
    if (!link.isEmpty()) SendMessage(window_, Message{kMessageLinkReleased, 0, ToUtf8(link)});
}

void JcEditor::mouseMoveEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseMoveEvent(event);
    if (detector_)
        viewport()->setCursor(linkAt(event->position().toPoint()).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
}

// The link under a point of the viewport, or empty: the point must lie on a character of it.
QString JcEditor::linkAt(const QPoint& position) const {
    if (!detector_) return QString();
    QTextCursor cursor = cursorForPosition(position);
    QTextBlock block = cursor.block();
    QString text = block.text();
    int column = cursor.positionInBlock();
    for (int c : {column - 1, column}) {
        if (c < 0 || c >= text.size()) continue;
        QTextCursor left(block), right(block);
        left.setPosition(block.position() + c);
        right.setPosition(block.position() + c + 1);
        QRect from = cursorRect(left), to = cursorRect(right);
        if (from.top() != to.top() || position.x() < from.left() || position.x() >= to.left() ||
            position.y() < from.top() || position.y() > from.bottom())
            continue;
        for (const LinkSpan& span : detector_(View(text)))
            if (c >= span.start && c < span.start + span.length) return text.mid(span.start, span.length);
    }
    return QString();
}

// CTRL+PLUS is CTRL+= where plus needs SHIFT.
bool JcEditor::zoomByKey(QKeyEvent* event) {
    if ((event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) != Qt::ControlModifier) return false;
    int key = event->key();
    if (key != Qt::Key_Plus && key != Qt::Key_Equal && key != Qt::Key_Minus && key != Qt::Key_0) return false;
    tell(kInputZoom, key == Qt::Key_0 ? kZoomReset : key == Qt::Key_Minus ? kZoomOut : kZoomIn);
    event->accept();
    return true;
}

void JcEditor::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() == Qt::ControlModifier && event->buttons() == Qt::NoButton) {
        tell(kInputZoom, kZoomWheel, event->angleDelta().y());
        event->accept();
        return;
    }
    // Other combinations scroll; the editor's own CTRL zoom must not act on them.
    QWheelEvent plain(event->position(), event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                      event->buttons(), event->modifiers() & ~Qt::ControlModifier, event->phase(), event->inverted());
    QPlainTextEdit::wheelEvent(&plain);
    event->setAccepted(plain.isAccepted());
}

void JcEditor::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    SendMessage(window_, Message{kMessageEditorFocused, 0, std::string()});
}

namespace {

JcEditor* Editor(int gadget) { return dynamic_cast<JcEditor*>(GadgetWidget(gadget)); }

}  // namespace

void CreateEditor(int window, int gadget, Rect r, LinkDetector detector, const EditorTextRules& rules) {
    JcEditor* editor = new JcEditor(window, WindowWidget(window), detector, rules);
    editor->setGeometry(r.x, r.y, r.width, r.height);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RegisterGadget(window, gadget, editor);
}

void SetEditorProcedure(int gadget, void (*procedure)(const EditorInput&)) {
    if (JcEditor* editor = Editor(gadget)) editor->setProcedure(procedure);
}

void SetEditorText(int gadget, const std::string& bytes) {
    if (JcEditor* editor = Editor(gadget)) editor->setRecordText(bytes);
}

std::string EditorText(int gadget, TextEncoding* encoding) {
    JcEditor* editor = Editor(gadget);
    std::string bytes;
    TextEncoding written = editor ? editor->storedText(&bytes) : kEncodingUtf8;
    if (encoding) *encoding = written;
    return bytes;
}

bool IsEditorTextChanged(int gadget) {
    JcEditor* editor = Editor(gadget);
    return editor && editor->document()->isModified();
}

void ShowEditorTip(int gadget, const std::string& text) {
    JcEditor* editor = Editor(gadget);
    if (!editor) return;
    QPoint at = editor->viewport()->mapToGlobal(editor->cursorRect().bottomLeft());
    QToolTip::showText(at, EscapeTipText(ToQString(text)), editor);
}

void SetEditorReadOnly(int gadget, bool readOnly) {
    if (JcEditor* editor = Editor(gadget)) editor->setReadOnly(readOnly);
}

bool IsEditorReadOnly(int gadget) {
    JcEditor* editor = Editor(gadget);
    return !editor || editor->isReadOnly();
}

void SetEditorSelection(int gadget, int start, int end) {
    JcEditor* editor = Editor(gadget);
    if (!editor) return;
    QTextCursor cursor = editor->textCursor();
    if (start < 0) {
        cursor.clearSelection();
    } else {
        QString text = editor->document()->toRawText();
        cursor.setPosition(WholeCharacterPosition(View(text), start));
        cursor.setPosition(WholeCharacterPosition(View(text), end < 0 ? static_cast<int>(text.size()) : end),
                           QTextCursor::KeepAnchor);
    }
    editor->setTextCursor(cursor);
}

void EditorSelection(int gadget, int* start, int* end) {
    JcEditor* editor = Editor(gadget);
    QTextCursor cursor = editor ? editor->textCursor() : QTextCursor();
    *start = cursor.selectionStart();
    *end = cursor.selectionEnd();
}

void EditorCommand(int gadget, EditorAction command) {
    if (JcEditor* editor = Editor(gadget)) editor->runCommand(command);
}

bool EditorCanRun(int gadget, EditorAction command) {
    JcEditor* editor = Editor(gadget);
    return editor && editor->canRun(command);
}

void SetEditorWrap(int gadget, bool wrap) {
    if (JcEditor* editor = Editor(gadget))
        editor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void SetEditorFont(int gadget, const std::string& face, int points, int style) {
    JcEditor* editor = Editor(gadget);
    if (!editor) return;
    QFont font(ToQString(face));
    font.setPointSize(points > 0 ? points : 10);
    font.setBold(style & 256);
    font.setItalic(style & 512);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
    font.setStyleStrategy((style & 16) ? QFont::PreferQuality : QFont::PreferDefault);
    editor->setBaseFont(font);
}

void SetEditorColours(int gadget, std::int32_t background, std::int32_t text) {
    JcEditor* editor = Editor(gadget);
    if (!editor) return;
    auto colour = [](std::int32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); };
    QPalette palette = editor->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colour(background));
        palette.setColor(group, QPalette::Text, colour(text));
    }
    editor->setPalette(palette);
}

void SetEditorMargins(int gadget, int left, int right) {
    if (JcEditor* editor = Editor(gadget)) editor->document()->setDocumentMargin(qMax(left, right));
}

bool SetEditorZoom(int gadget, int percent) {
    JcEditor* editor = Editor(gadget);
    return editor && editor->setZoom(percent);
}

int EditorZoom(int gadget) {
    JcEditor* editor = Editor(gadget);
    return editor ? editor->zoom() : 100;
}
