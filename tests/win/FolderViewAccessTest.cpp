// The reading and moving through the shell's positioning interface, against a folder view played by
// the test: Wine's shell view does not implement GetItemPosition or SelectAndPositionItems.

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DesktopSession.h"
#include "FolderViewAccess.h"

namespace {

// A folder of numbered items: item i is named names[i] and stands at places[i]. Only what the
// positioning code uses is implemented; every call of SelectAndPositionItems is recorded.
class TFakeFolderView : public IFolderView, public IShellFolder {
public:
    std::vector<std::wstring> Names;
    std::vector<POINT> Places;
    int PositionCalls = 0;
    DWORD LastFlags = 0;

    static int IndexOf(PCUITEMID_CHILD item) { return item->mkid.abID[0]; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IFolderView) {
            *object = static_cast<IFolderView*>(this);
        } else if (riid == IID_IShellFolder) {
            *object = static_cast<IShellFolder*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** object) override {
        return QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD item, POINT* place) override {
        *place = Places.at(static_cast<size_t>(IndexOf(item)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY items, POINT* places,
                                                     DWORD flags) override {
        ++PositionCalls;
        LastFlags = flags;
        for (UINT i = 0; i < count; ++i) {
            Places.at(static_cast<size_t>(IndexOf(items[i]))) = places[i];
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF, STRRET* name) override {
        const std::wstring& text = Names.at(static_cast<size_t>(IndexOf(item)));
        name->uType = STRRET_WSTR;
        name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
        std::memcpy(name->pOleStr, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(int, PITEMID_CHILD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }
};

// An item id of one byte: the item's number.
void* NumberedItem(int number) {
    auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(5));
    const BYTE id[5] = {3, 0, static_cast<BYTE>(number), 0, 0};
    std::memcpy(bytes, id, sizeof id);
    return bytes;
}

TEST(FolderViewAccess, ReadsNamesAndPositionsInViewOrderAndMovesAllInOneCall) {
    TFakeFolderView view;
    // U+1D11E outside the BMP: encoded unit by unit, as the list view's captions are.
    view.Names = {L"Computer", L"", L"Notes \U0001D11E"};
    view.Places = {{17, 2}, {5, 5}, {300, 40}};
    std::vector<void*> items;
    for (int i = 0; i < 3; ++i) {
        items.push_back(NumberedItem(i));
    }

    std::vector<TCapturedIcon> icons;
    volatile LONG answered = 0;
    ASSERT_TRUE(ReadFolderViewItems(&view, items, icons, &answered));
    EXPECT_EQ(answered, 3) << "every answered item counts as progress";
    ASSERT_EQ(icons.size(), 2u) << "an item without a name is left out, as the list view's";
    EXPECT_EQ(icons[0].Caption, "Computer");
    EXPECT_EQ(icons[1].Index, 2);
    EXPECT_EQ(icons[1].Caption, "Notes \xED\xA0\xB4\xED\xB4\x9E");
    EXPECT_EQ(icons[1].X, 300);

    ASSERT_TRUE(PositionFolderViewItems(&view, items, {{0, 70, 80}, {2, -10, 90}}));
    EXPECT_EQ(view.PositionCalls, 1);
    EXPECT_EQ(view.LastFlags, static_cast<DWORD>(SVSI_POSITIONITEM | SVSI_NOSTATECHANGE));
    EXPECT_EQ(view.Places[0].x, 70);
    EXPECT_EQ(view.Places[2].y, 90);
    EXPECT_EQ(view.Places[1].x, 5) << "an icon without a move stays";
    EXPECT_FALSE(PositionFolderViewItems(&view, items, {{7, 1, 1}})) << "a move of an unknown item";
    for (void* item : items) {
        CoTaskMemFree(item);
    }
}

} // namespace
