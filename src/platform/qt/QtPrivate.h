// Shared inside platform/ only: the registry of windows and gadgets by number, the private
// widget classes, and the conversions between record bytes and Qt strings.
#pragma once

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string>

#include "platform/Gui.h"
#include "platform/common/GuiSeams.h"
#include "platform/qt/QtText.h"

Rect ToRect(const QRect& r);

QWidget* WindowWidget(int window);
QWidget* GadgetWidget(int gadget);
void RegisterGadget(int window, int gadget, QWidget* widget);
void SendMessage(int window, const Message& message);

// A top-level window of the program: its close box and sizes become events, TAB moves the
// focus only in a window with dialog keys, and user moves and sizes are reported.
class JcWindow : public QWidget {
public:
    JcWindow(int number, QWidget* owner, Qt::WindowFlags flags);
    int number() const { return number_; }
    void placeOuter(const QRect& outer);
    void setToolTipsActive(bool active) { toolTipsActive_ = active; }
    void setDialogKeys(bool dialogKeys) { dialogKeys_ = dialogKeys; }
    bool dialogKeys() const { return dialogKeys_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void notePlacement();
    int number_;
    QRect pendingOuter_;
    QRect lastNormalFrame_;
    bool toolTipsActive_ = true;
    bool dialogKeys_ = false;
};

class JcEditor : public QPlainTextEdit {
public:
    JcEditor(int window, QWidget* parent, LinkDetector detector, const EditorTextRules& rules);
    void setProcedure(void (*procedure)(const EditorInput&)) { procedure_ = procedure; }
    void setRecordText(const std::string& bytes);
    TextEncoding storedText(std::string* bytes) const;
    void setBaseFont(const QFont& font);
    bool setZoom(int percent);
    int zoom() const { return zoom_; }
    void runCommand(EditorAction command);
    bool canRun(EditorAction command) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void typeKey(QKeyEvent* event);
    bool zoomByKey(QKeyEvent* event);
    void tell(EditorInputKind kind, int x = 0, int y = 0);
    QString linkAt(const QPoint& position) const;
    QString cleaned(const QString& text) const;
    QString fitting(const QString& insertion) const;
    int window_;
    LinkDetector detector_;
    const EditorTextRules& rules_;
    void (*procedure_)(const EditorInput&) = nullptr;
    bool settingText_ = false;
    int revision_ = 0;
    TextEncoding encoding_ = kEncodingUtf8;  // of the text as it was set
    QFont baseFont_;
    int zoom_ = 100;
};

class JcSelector : public QComboBox {
public:
    JcSelector(int window, QWidget* parent);
    void showPopup() override;
    void hidePopup() override;
    void keepClosed() { keepClosed_ = true; }

private:
    int titlesWidth();
    int window_;
    bool keepClosed_ = false;
};

// The record selector's entries: titles with their slot indexes.
class SelectorModel;
SelectorModel* ModelOf(JcSelector* selector);

// Placement (QtPlacement.cpp). The work area of the main window's screen, else the primary's.
QRect WorkArea();
// Over an On Top main window, a window or box of the program stays on top too.
void KeepAboveMainWindow(QWidget* window);
// OpenWindow's outer position and client size, moved and shrunk into the work area.
Rect FitClientIntoWorkArea(QWidget* window, Rect placement);
// No larger than the work area, wherever the toolkit then puts it.
void BoundToWorkArea(QWidget* window);
// An outer rectangle within the work area of the screen under its middle.
Rect FitIntoScreenAt(Rect outer);
// The window menu's Move and Size: the arrow keys move or size the window until ENTER.
// While the program moves a window by keys, the window may stand partly off the screen, as
// far as its title bar stays within reach.
bool IsPlacingByKeys();
