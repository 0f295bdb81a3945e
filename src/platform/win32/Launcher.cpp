// Shell links on the user's desktop: the program by its full path, its folder, and its own
// icon where the icon named is not a file.
#include "platform/Launcher.h"

#include "platform/Files.h"
#include "platform/common/FileSeam.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

LauncherForm SystemLauncherForm() { return kLauncherShellLink; }

std::string SystemDesktopFolder() { return KnownFolder(FOLDERID_Desktop); }

std::string UserConfigHome() { return std::string(); }

bool CreateShellLink(const std::string& target, const std::string& linkPath, const std::string& folder,
                     const std::string& arguments, const std::string& description, const std::string& iconFile,
                     int iconIndex) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    bool saved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        std::string icon = StatPath(iconFile).kind == kFileRegular ? iconFile : target;
        link->SetPath(Widen(target).c_str());
        link->SetArguments(Widen(arguments).c_str());
        link->SetWorkingDirectory(Widen(folder).c_str());
        link->SetDescription(Widen(description).c_str());
        link->SetShowCmd(SW_SHOWNORMAL);
        link->SetHotkey(0);
        link->SetIconLocation(Widen(icon).c_str(), iconIndex);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(Widen(linkPath).c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return saved || FailWith(kDoingWriting, linkPath, kReasonShellLinkNotSaved);
}
