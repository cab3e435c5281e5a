#include "ClassFactory.h"

#include <new>

#include "CallbackBarrier.h"
#include "ContextMenuHandler.h"
#include "ServerState.h"

namespace {

// The factory of TContextMenu: multiple instances, no ProgID, no type library. It lives from load
// to unload; releasing its last reference does not free it.
class TClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID interfaceId, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&FactoryReferenceCount));
    }
    STDMETHODIMP_(ULONG) Release() override {
        return static_cast<ULONG>(InterlockedDecrement(&FactoryReferenceCount));
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        // An aggregate may only ask for the object's own IUnknown.
        if (outer != nullptr && !IsEqualIID(interfaceId, IID_IUnknown)) {
            return CLASS_E_NOAGGREGATION;
        }
        return ComBarrier([&]() -> HRESULT {
            auto* menu = new (std::nothrow) TContextMenu(outer);
            if (menu == nullptr) {
                return E_UNEXPECTED;
            }
            // The reference count starts at 0: an object that does not answer the interface is
            // destroyed at once by the release below; otherwise the caller holds the only reference.
            IUnknown* inner = nullptr;
            menu->InnerQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&inner));
            const HRESULT result = menu->InnerQueryInterface(interfaceId, object);
            inner->Release();
            return result;
        });
    }

    // An in-process server only counts its locks (CoLockObjectExternal is for objects that a local
    // server registers). An unlock without a lock changes nothing: the count never goes below zero,
    // so it can neither release the library under a live object nor keep it loaded for ever.
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&ServerLockCount);
            return S_OK;
        }
        for (LONG count = ServerLockCount; count > 0; count = ServerLockCount) {
            if (InterlockedCompareExchange(&ServerLockCount, count - 1, count) == count) {
                break;
            }
        }
        return S_OK;
    }
};

TClassFactory Factory;

} // namespace

IClassFactory* ContextMenuFactory() {
    return &Factory;
}
