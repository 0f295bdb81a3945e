// The window menu of the program's own and its Move and Size by keyboard: the window system
// has no such mode for a client everywhere (Wayland, no window manager, managers that ignore
// the request), so the arrows are read here while the backend holds every key and click.
#include "ui/WindowMenu.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/Commands.h"
#include "ui/Placement.h"

namespace {

// UI thread.
struct WindowMenuState {
    int minimumWidth = 0;  // client
    int minimumHeight = 0;
    int placing = 0;  // the window grabbed for Move or Size
    PlacementByKeys placement{};
    std::vector<MenuItem> items;  // of the menu of the program's own
} s_menu;

const Shortcut kMenuKeys[] = {{kNamedSpace, kWithAlt, kCmdWindowMenu}, {kNamedMinus, kWithAlt, kCmdWindowMenu}};

std::vector<MenuItem> Tools() {
    return {{kCmdCalculator, Str(kStrMenuCalculator)},
            {kCmdFileManager, Str(kStrMenuFileManager)},
            {kCmdTerminal, Str(kStrMenuTerminal)}};
}

void StartPlacing(int window, bool sizing) {
    Rect outer;
    int width = 0, height = 0;
    if (!OuterRectOnScreen(window, &outer)) return;
    ClientSize(window, &width, &height);
    int frameWidth = outer.width - width, frameHeight = outer.height - height;
    s_menu.placement = StartPlacementByKeys(outer, sizing, s_menu.minimumWidth + frameWidth,
                                            s_menu.minimumHeight + frameHeight, ScreenWorkArea());
    s_menu.placing = window;
    GrabForPlacement(window, true);
    int x, y;
    PlacementPointer(s_menu.placement, &x, &y);
    ShowPlacementPointer(x, y, 0);
}

}  // namespace

void AddWindowMenu(int window, int minimumWidth, int minimumHeight) {
    s_menu.minimumWidth = minimumWidth;
    s_menu.minimumHeight = minimumHeight;
    if (SetWindowMenuTools(window, Tools())) return;
    s_menu.items = {{kCmdWindowRestore, Str(kStrMenuRestore)},   {kCmdWindowMove, Str(kStrMenuMove)},
                    {kCmdWindowSize, Str(kStrMenuSize)},         {kCmdWindowMinimise, Str(kStrMenuMinimise)},
                    {kCmdWindowMaximise, Str(kStrMenuMaximise)}, {0, ""},
                    {kCmdWindowClose, Str(kStrMenuClose)},       {0, ""}};
    for (const MenuItem& tool : Tools()) s_menu.items.push_back(tool);
    for (const Shortcut& keys : kMenuKeys) AddShortcut(window, keys);
}

void OpenWindowMenu(int window, bool fromKeyboard) {
    bool normal = ShownAs(window) == kShownNormal;
    for (MenuItem& item : s_menu.items) {
        if (item.command == kCmdWindowRestore) item.enabled = !normal;
        if (item.command == kCmdWindowMove || item.command == kCmdWindowSize || item.command == kCmdWindowMaximise)
            item.enabled = normal;
    }
    Rect outer{kAtPointer, kAtPointer, 0, 0};
    if (fromKeyboard) OuterRectOnScreen(window, &outer);
    ShowContextMenu(window, s_menu.items, outer.x, outer.y);
}

void RunWindowMenuCommand(int window, int command) {
    switch (command) {
        case kCmdWindowMenu:
            OpenWindowMenu(window, true);
            break;
        case kCmdWindowRestore:
            ShowAs(window, kShownNormal);
            break;
        case kCmdWindowMinimise:
            ShowAs(window, kShownMinimised);
            break;
        case kCmdWindowMaximise:
            ShowAs(window, kShownMaximised);
            break;
        case kCmdWindowClose:
            PostWindowEvent(Event{kEventClose, window, 0});
            break;
        case kCmdWindowMove:
        case kCmdWindowSize:
            StartPlacing(window, command == kCmdWindowSize);
            break;
        default:
            OpenSystemTool(command);
            break;
    }
}

void StepWindowPlacement(int window, int key) {
    if (window != s_menu.placing) return;
    PlacementByKeys& placement = s_menu.placement;
    Rect before = placement.current;
    bool goesOn = StepPlacementByKeys(&placement, static_cast<PlacementKey>(key & ~kPlaceFine), key & kPlaceFine);
    const Rect& now = placement.current;
    if (now.x != before.x || now.y != before.y || now.width != before.width || now.height != before.height) {
        PlaceWindow(window, now);
        g_app.settingsChanged = 1;  // a move of the user's, as by the mouse
    }
    if (!goesOn) {
        s_menu.placing = 0;
        GrabForPlacement(window, false);
        return;
    }
    int x, y;
    PlacementPointer(placement, &x, &y);
    ShowPlacementPointer(x, y, placement.sizing ? placement.edges : 0);
}
