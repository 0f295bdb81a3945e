// Generated records and generated sequences of user actions on the real editor. After every
// action the editor holds only text that a save stores as it is shown; input never takes a
// record past 32,000 stored bytes; and whatever leaves a record (a save point, any route to
// another record) stores its text whole in its own slot, or tells the user and keeps it.
// RC_PARAMS sets the number of cases (RC_PARAMS="max_success=100000" for a long run).
#include <rapidcheck.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <ostream>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/RecordText.h"
#include "base/TextCoding.h"
#include "platform/Gui.h"
#include "ui/Commands.h"
#include "ui/GuiTestSupport.h"
#include "ui/QtGuiTest.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"

namespace {

enum ActionKind {
    kType,
    kShiftEnter,
    kPaste,
    kMenuPaste,
    kDrop,
    kCommit,
    kSelect,
    kSelectAll,
    kCut,
    kCopy,
    kUndo,
    kRedo,
    kDelete,
    kBackspace,
    kSaveByCommand,
    kSaveByList,
    kChangeRecord,
    kActionKinds
};
const char* const kActionNames[] = {
    "type", "shift+enter", "paste", "menu paste", "drop",      "commit",          "select",       "select all",   "cut",
    "copy", "undo",        "redo",  "delete",     "backspace", "save by command", "save by list", "change record"};

struct Action {
    ActionKind kind;
    std::u16string text;  // inserted text
    int from, to;         // selection, in per mille of the text; route for kChangeRecord
};

std::ostream& operator<<(std::ostream& out, const Action& action) {
    out << kActionNames[action.kind] << " " << action.from << " " << action.to << " [";
    for (char16_t c : action.text) out << (c < 0x80 && c >= 0x20 ? std::string(1, char(c)) : "U+" + std::to_string(c));
    return out << "]";
}

// A number from the whole range whatever the size of the case (inRange narrows with it).
rc::Gen<int> Uniform(int low, int high) { return rc::gen::resize(100, rc::gen::inRange(low, high)); }

// Pieces that change form somewhere between a key and the disk, and some that a record cannot
// hold at all (NUL, a lone surrogate, the editor's frame marks).
rc::Gen<std::u16string> GenText() {
    static const std::vector<std::u16string> kPieces = {u"a",
                                                        u"Word ",
                                                        u"\r",
                                                        u"\n",
                                                        u"\r\n",
                                                        u"\t",
                                                        u"\u00A0",
                                                        u"\u2028",
                                                        u"\u2029",
                                                        u"é",
                                                        u"€",
                                                        u"\u0081",
                                                        u"ÿ",
                                                        u"Ÿ",
                                                        u"日本",
                                                        u"😀",
                                                        u"\uFDD0",
                                                        std::u16string(1, u'\0'),
                                                        std::u16string(1, char16_t(0xD83D)),
                                                        u"\u200B",
                                                        u"\uE000",
                                                        u"→"};
    auto piece =
        rc::gen::map(Uniform(0, static_cast<int>(kPieces.size())), [](int i) { return kPieces[std::size_t(i)]; });
    return rc::gen::map(rc::gen::container<std::vector<std::u16string>>(piece),
                        [](const std::vector<std::u16string>& pieces) {
                            std::u16string text;
                            for (const std::u16string& piece : pieces) text += piece;
                            return text;
                        });
}

rc::Gen<Action> GenAction() {
    return rc::gen::build<Action>(rc::gen::set(&Action::kind, rc::gen::cast<ActionKind>(Uniform(0, kActionKinds))),
                                  rc::gen::set(&Action::text, GenText()), rc::gen::set(&Action::from, Uniform(0, 1001)),
                                  rc::gen::set(&Action::to, Uniform(0, 1001)));
}

// A record as it may stand in a data file: UTF-8 or Windows-1252, any line ends, often near
// the 32,000-byte limit. (One that lone line ends take past it is a case of its own.)
rc::Gen<std::string> GenRecord() {
    return rc::gen::exec([] {
        std::string bytes;
        int padding = *rc::gen::oneOf(rc::gen::just(0), Uniform(31500, 32001));
        while (static_cast<int>(bytes.size()) < padding) bytes += std::string(78, 'p') + "\r\n";
        if (*rc::gen::arbitrary<bool>()) {
            bytes += QString::fromStdU16String(*GenText()).remove(QChar(0)).toUtf8().toStdString();
        } else {
            auto byte =
                rc::gen::resize(100, rc::gen::oneOf(rc::gen::elementOf(std::string("az \r\n\t")),
                                                    rc::gen::inRange<char>('\x80', '\xFF'), rc::gen::just('\xFF')));
            bytes += *rc::gen::container<std::string>(byte);
        }
        return std::string(DropIncompleteUtf8Tail(std::string_view(bytes).substr(0, 32000)));
    });
}

class TextPropertyTest : public GuiTest {
protected:
    QPlainTextEdit* Editor() { return static_cast<QPlainTextEdit*>(Widget(kGadgetEditor)); }
    QComboBox* Selector() { return static_cast<QComboBox*>(Widget(kGadgetSelector)); }
    std::u16string Shown() {
        return Editor()->document()->toRawText().replace(QChar::ParagraphSeparator, QChar('\n')).toStdU16String();
    }
    std::string Stored() { return EditorText(kGadgetEditor); }

    void Load(const std::vector<std::string>& records) {
        WriteDataFile(g_app.dataPath, records);
        ClearList();
        g_app.unsavedEdit = 0;
        LoadRecords(kLoadStartup);
        Pump();
        FocusGadget(kGadgetEditor);
        ClearMessageBoxTexts();
    }
    int At(int perMille) { return static_cast<int>(Shown().size()) * perMille / 1000; }
    void KeyToEditor(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Editor(), static_cast<Qt::Key>(key), modifiers);
        Pump();
    }
    // Each character as a key of its own, as a keyboard types it.
    void TypeText(const std::u16string& text) {
        QString all = QString::fromStdU16String(text);
        for (int i = 0; i < all.size(); ++i) {
            int length = all[i].isHighSurrogate() && i + 1 < all.size() ? 2 : 1;
            QString one = all.mid(i, length);
            i += length - 1;
            int key = one == "\n" ? Qt::Key_Return : one == "\t" ? Qt::Key_Tab : Qt::Key_unknown;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
            QApplication::sendEvent(Editor(), &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
            QApplication::sendEvent(Editor(), &release);
        }
        Pump();
    }
    // Every route by which the user picks another record.
    void ChangeRecord(int route) {
        struct Route {
            int key;
            Qt::KeyboardModifiers modifiers;
        };
        static const Route kRoutes[] = {{Qt::Key_Down, Qt::NoModifier},     {Qt::Key_Up, Qt::NoModifier},
                                        {Qt::Key_Up, Qt::AltModifier},      {Qt::Key_Down, Qt::AltModifier},
                                        {Qt::Key_PageDown, Qt::NoModifier}, {Qt::Key_End, Qt::AltModifier},
                                        {Qt::Key_Home, Qt::AltModifier},    {Qt::Key_P, Qt::NoModifier}};
        const int keys = static_cast<int>(std::size(kRoutes));
        int r = route % (keys + 3);  // then the wheel down and up, and a pick from the list
        FocusGadget(kGadgetSelector);
        if (r < keys) {
            QTest::keyClick(Selector(), static_cast<Qt::Key>(kRoutes[r].key), kRoutes[r].modifiers);
        } else if (r < keys + 2) {
            QPointF at(5, 5);
            QWheelEvent wheel(at, Selector()->mapToGlobal(at), QPoint(), QPoint(0, r == keys ? -120 : 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Selector(), &wheel);
        } else {
            Selector()->showPopup();
            Pump();
            Selector()->setCurrentIndex((SelectedEntry(kGadgetSelector) + 1) % SelectorCount(kGadgetSelector));
            emit Selector()->activated(Selector()->currentIndex());
            Selector()->hidePopup();
        }
        Pump();
        FocusGadget(kGadgetEditor);
    }

    void Run(const Action& action) {
        QString text = QString::fromStdU16String(action.text);
        switch (action.kind) {
            case kType:
                TypeText(action.text);
                break;
            case kShiftEnter:
                KeyToEditor(Qt::Key_Return, Qt::ShiftModifier);
                break;
            case kPaste:
                QApplication::clipboard()->setText(text);
                KeyToEditor(Qt::Key_V, Qt::ControlModifier);
                break;
            case kMenuPaste:
                QApplication::clipboard()->setText(text);
                PostWindowEvent(Event{kEventMenu, kWindowMain, kCmdPaste});
                Pump();
                break;
            case kDrop: {
                QMimeData data;
                data.setText(text);
                QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(Editor()->viewport(), &drop);
                Pump();
                break;
            }
            case kCommit: {
                QInputMethodEvent event;
                event.setCommitString(text);
                QApplication::sendEvent(Editor(), &event);
                Pump();
                break;
            }
            case kSelect:
                SetEditorSelection(kGadgetEditor, At(action.from), At(action.to));
                break;
            case kSelectAll:
                KeyToEditor(Qt::Key_A, Qt::ControlModifier);
                break;
            case kCut:
                SetEditorSelection(kGadgetEditor, At(action.from), At(action.to));
                KeyToEditor(Qt::Key_X, Qt::ControlModifier);
                break;
            case kCopy:
                KeyToEditor(Qt::Key_C, Qt::ControlModifier);
                break;
            case kUndo:
                KeyToEditor(Qt::Key_Z, Qt::ControlModifier);
                break;
            case kRedo:
                KeyToEditor(Qt::Key_Y, Qt::ControlModifier);
                break;
            case kDelete:
                KeyToEditor(Qt::Key_Delete);
                break;
            case kBackspace:
                KeyToEditor(Qt::Key_Backspace);
                break;
            case kSaveByCommand:
                RunCommand(kCmdFocusSelector);
                FocusGadget(kGadgetEditor);
                break;
            case kSaveByList:
                Selector()->showPopup();
                Pump();
                Selector()->hidePopup();
                Pump();
                break;
            case kChangeRecord:
                ChangeRecord(action.from);
                break;
            case kActionKinds:
                break;
        }
    }

    // What leaving a record must leave behind: its text stored whole in its own slot, or the
    // user told and the record still on screen with its text.
    void CheckLeft(int position, std::int64_t slot, bool edited, const std::string& stored, const std::u16string& shown,
                   std::size_t messagesBefore) {
        if (MessageBoxTexts().size() > messagesBefore) {
            RC_ASSERT(g_app.shownPosition == position);
            RC_ASSERT(SelectedEntry(kGadgetSelector) == position);
            RC_ASSERT(Shown() == shown);
            return;
        }
        if (g_app.unsavedEdit && g_app.shownPosition == position) return;  // nothing stored yet
        if (stored.empty()) {                                              // an emptied record is stored as a new one
            RC_ASSERT(Record(slot) == std::string(edited ? "New record" : ""));
            return;
        }
        RC_ASSERT(DecodeRecordText(Record(slot)) == shown);
        if (edited) RC_ASSERT(Record(slot) == stored);
    }
};

TEST_F(TextPropertyTest, WhatTheEditorShowsIsWhatASaveStores) {
    StartProgram();
    EXPECT_TRUE(rc::check("editor text and stored records agree after every action", [this] {
        std::vector<std::string> records = {*GenRecord(), *GenRecord(), *GenRecord()};
        for (const std::string& record : records)
            RC_PRE(StoredSize(DecodeRecordText(record), RecordEncoding(record)) <= 32000u);
        std::vector<Action> actions = *rc::gen::scale(0.25, rc::gen::container<std::vector<Action>>(GenAction()));
        Load(records);
        for (const Action& action : actions) {
            int position = g_app.shownPosition;
            std::int64_t slot = SlotAt(position);
            std::string stored = Stored();
            std::u16string shown = Shown();
            std::size_t messages = MessageBoxTexts().size();
            bool edited = g_app.unsavedEdit;
            Run(action);
            std::string now = Stored();
            RC_ASSERT(DecodeRecordText(now) == Shown());
            if (action.kind <= kCommit) RC_ASSERT(now.size() <= std::max<std::size_t>(32000, stored.size()));
            if (action.kind >= kSaveByCommand) CheckLeft(position, slot, edited, stored, shown, messages);
        }
    }));
}

}  // namespace
