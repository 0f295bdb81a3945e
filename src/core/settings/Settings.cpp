// The option set's keys, their order in the file and their defaults.
#include "core/settings/Settings.h"

#include "base/RecordText.h"
#include "base/StringTable.h"
#include "core/settings/KeyValueFile.h"
#include "platform/Files.h"

namespace {

// On/off options are single signed bytes: a stored integer keeps its low 8 bits.
std::int8_t ReadFlag(const KeyFile& file, StringId key, std::int8_t fallback) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(ReadInteger(file, Str(key), fallback) & 0xFF));
}

bool FitsWorkArea(const OptionSet& o, const Rect& workArea) {
    // 64-bit sums, so that huge stored values cannot wrap into range.
    std::int64_t w = static_cast<std::int64_t>(workArea.width) + 16;
    std::int64_t h = static_cast<std::int64_t>(workArea.height) + 16;
    std::int64_t x = o.windowX, y = o.windowY, width = o.windowWidth, height = o.windowHeight;
    return !(x < -16 || y < -16 || width > w || height > h || x + width > w || y + height > h);
}

}  // namespace

// A settings file that cannot be looked up, or an empty one the user made read-only, is left
// alone: the defaults serve.
bool SettingsFileNeedsFresh() {
    FileInfo info = StatPath(g_app.settingsPath);
    return info.kind == kFileMissing ||
           (info.kind == kFileRegular && info.size < 1 && IsWritableFile(g_app.settingsPath));
}

bool LoadSettings(const Rect& workArea) {
    KeyFile file;
    if (!OpenKeyFile(&file, g_app.settingsPath)) return false;
    OptionSet& o = g_app.options;
    SelectGroup(&file, Str(kStrOptionsTitle));
    o.wordwrap = ReadFlag(file, kStrKeyWordwrap, 1);
    o.onTop = ReadFlag(file, kStrKeyOnTop, 0);
    o.readOnly = ReadFlag(file, kStrKeyReadOnly, 0);
    o.hideTooltips = ReadFlag(file, kStrKeyHideTooltips, 0);
    o.autoBackup = ReadFlag(file, kStrKeyAutoBackup, 0);
    o.desktopShortcut = ReadFlag(file, kStrKeyDesktopShortcut, 0);
    o.backgroundColour = ReadInteger(file, Str(kStrKeyBackground), 0xFFFFFF);
    o.fontSize = ReadInteger(file, Str(kStrKeyFontSize), 10);
    o.textColour = ReadInteger(file, Str(kStrKeyTextColour), 0);
    o.fontStyle = ReadInteger(file, Str(kStrKeyFontStyle), 0);
    // No family has a name near this long; a damaged file's megabyte of text is no name.
    std::string fontName = ReadText(file, Str(kStrKeyFontName), Str(kStrDefaultFontName));
    if (fontName.size() > kFontNameLimit)
        fontName = std::string(DropIncompleteUtf8Tail(fontName.substr(0, kFontNameLimit)));
    o.fontName = fontName;
    SelectGroup(&file, Str(kStrWindowGroup));
    o.windowX = ReadInteger(file, Str(kStrKeyWindowX), 24);
    o.windowY = ReadInteger(file, Str(kStrKeyWindowY), 24);
    o.windowWidth = ReadInteger(file, Str(kStrKeyWindowWidth), 470);
    o.windowHeight = ReadInteger(file, Str(kStrKeyWindowHeight), 300);
    o.zoom = ReadInteger(file, Str(kStrKeyZoom), 100);
    // A damaged file serves as far as it goes and is then left as it is.
    bool whole = !file.cut;
    CloseKeyFile(&file);
    if (!FitsWorkArea(o, workArea)) {
        o.windowX = 24;
        o.windowY = 24;
        o.windowWidth = 470;
        o.windowHeight = 300;
    }
    return whole;
}

bool SaveSettings(bool fresh, const Rect* windowRect) {
    KeyFile file;
    if (fresh ? !CreateKeyFile(&file, g_app.settingsPath) : !OpenKeyFile(&file, g_app.settingsPath)) return false;
    const OptionSet& o = g_app.options;
    SelectGroup(&file, Str(kStrOptionsTitle));
    WriteInteger(&file, Str(kStrKeyWordwrap), o.wordwrap);
    WriteInteger(&file, Str(kStrKeyOnTop), o.onTop);
    WriteInteger(&file, Str(kStrKeyReadOnly), o.readOnly);
    WriteInteger(&file, Str(kStrKeyHideTooltips), o.hideTooltips);
    WriteInteger(&file, Str(kStrKeyAutoBackup), o.autoBackup);
    WriteInteger(&file, Str(kStrKeyDesktopShortcut), o.desktopShortcut);
    WriteInteger(&file, Str(kStrKeyBackground), o.backgroundColour);
    WriteInteger(&file, Str(kStrKeyFontSize), o.fontSize);
    WriteInteger(&file, Str(kStrKeyTextColour), o.textColour);
    WriteInteger(&file, Str(kStrKeyFontStyle), o.fontStyle);
    WriteText(&file, Str(kStrKeyFontName), o.fontName);
    SelectGroup(&file, Str(kStrWindowGroup));
    if (windowRect) {
        WriteInteger(&file, Str(kStrKeyWindowX), windowRect->x);
        WriteInteger(&file, Str(kStrKeyWindowY), windowRect->y);
        WriteInteger(&file, Str(kStrKeyWindowWidth), windowRect->width);
        WriteInteger(&file, Str(kStrKeyWindowHeight), windowRect->height);
    }
    WriteInteger(&file, Str(kStrKeyZoom), o.zoom);
    return CloseKeyFile(&file);
}
