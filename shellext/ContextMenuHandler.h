#pragma once
// TContextMenu: the context-menu handler of the desktop background. It adds the "Kavrilon" submenu
// and starts the main program with the verb of the chosen command. Besides its reference count it
// keeps only what its last menu offered (the number of command offsets and the backups listed);
// everything else is process-wide state, guarded by the handler-state lock.

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

class TContextMenu final : public IContextMenu, public IShellExtInit, public ISupportErrorInfo {
public:
    // `outer` is the controlling object of an aggregate, or null. The live-object count rises.
    explicit TContextMenu(IUnknown* outer) noexcept;
    TContextMenu(const TContextMenu&) = delete;
    TContextMenu& operator=(const TContextMenu&) = delete;

    // The object's own IUnknown, which never delegates: the one an aggregate's outer object holds.
    HRESULT InnerQueryInterface(REFIID interfaceId, void** object) noexcept;

    // IUnknown of every interface: forwarded to the outer object when aggregated.
    STDMETHODIMP QueryInterface(REFIID interfaceId, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject, HKEY progIdKey) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* buffer,
                                  UINT bufferSize) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID interfaceId) override;

private:
    // The live-object count falls.
    ~TContextMenu();

    class TInnerUnknown final : public IUnknown {
    public:
        explicit TInnerUnknown(TContextMenu& owner) noexcept : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID interfaceId, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        TContextMenu& owner_;
    };

    ULONG InnerAddRef() noexcept;
    ULONG InnerRelease() noexcept;

    TInnerUnknown inner_;
    IUnknown* controlling_;
    volatile LONG references_ = 0;
    // Offsets 0 to issuedOffsets_ - 1 are those of the last QueryContextMenu; InvokeCommand accepts no other.
    volatile LONG issuedOffsets_ = 0;
    // The ids of the backups that menu listed, at offsets 6 on. The shell calls an object of this
    // apartment-threaded class from one thread only.
    std::vector<std::string> listedBackups_;
};

// Forgets the data folder and deletes the menu bitmap (at unload by FreeLibrary, after
// DllCanUnloadNow: no menu of the library is in use then).
void ClearHandlerState();
