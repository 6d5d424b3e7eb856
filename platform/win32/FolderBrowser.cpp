#include "FolderBrowser.h"

#include <memory>
#include <vector>

#include <commctrl.h>
#include <shlobj.h>

namespace plexifold::win32 {
namespace {

struct ItemListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

// Room for the longest path that Windows can hand out.
constexpr DWORD kPathCapacity = 32768;
constexpr UINT_PTR kSubclassId = 1;

bool isDriveRoot(std::wstring_view path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

std::wstring controlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The full path of an existing folder typed into the dialog's edit box, or "".
std::wstring typedFolder(HWND dialog) {
    const HWND edit = FindWindowExW(dialog, nullptr, WC_EDITW, nullptr);
    if (!edit)
        return {};
    const std::wstring typed = controlText(edit);
    const bool isFullPath = typed.size() >= 3 &&
                            (typed.starts_with(L"\\\\") || (typed[1] == L':' && typed[2] == L'\\'));
    const DWORD attributes = GetFileAttributesW(typed.c_str());
    if (!isFullPath || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    std::wstring full(kPathCapacity, L'\0');
    const DWORD length = GetFullPathNameW(typed.c_str(), kPathCapacity, full.data(), nullptr);
    full.resize(length < kPathCapacity ? length : 0);
    return full;
}

// Some shells return the folder selected in the tree and pass over a full path typed into
// the edit box; the path typed when OK is pressed is kept to be returned instead.
LRESULT CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                            DWORD_PTR typed) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        *reinterpret_cast<std::wstring*>(typed) = typedFolder(dialog);
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(dialog, &dialogProc, id);
    return DefSubclassProc(dialog, message, wParam, lParam);
}

int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM, LPARAM typed) {
    if (message == BFFM_INITIALIZED)
        SetWindowSubclass(dialog, &dialogProc, kSubclassId, static_cast<DWORD_PTR>(typed));
    return 0;
}

} // namespace

std::wstring FolderFromShellPath(std::wstring_view buffer) {
    std::wstring path(buffer.substr(0, buffer.find(L'\0')));
    while (path.size() > 1 && path.back() == L'\\' && !isDriveRoot(path))
        path.pop_back();
    return path;
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& prompt) {
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = prompt.c_str();
    // The new style is the one that shows the edit box everywhere.
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    std::wstring typed;
    request.lpfn = &browseCallback;
    request.lParam = reinterpret_cast<LPARAM>(&typed);
    const ItemList chosen(SHBrowseForFolderW(&request));
    if (!chosen)
        return {};
    if (!typed.empty())
        return FolderFromShellPath(typed);
    std::vector<wchar_t> buffer(kPathCapacity, L'\0');
    if (!SHGetPathFromIDListEx(chosen.get(), buffer.data(), kPathCapacity, GPFIDL_DEFAULT))
        return {};
    return FolderFromShellPath({buffer.data(), buffer.size()});
}

} // namespace plexifold::win32
