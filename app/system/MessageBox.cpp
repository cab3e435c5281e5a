#include "MessageBox.h"

#include "CallbackBarrier.h"
#include "Language.h"
#include "ProcessState.h"
#include "WinHandles.h"

int32_t ModalDepth = 0;

namespace {

// The dialog class of message boxes ("#32770").
constexpr ULONG_PTR DialogClassAtom = 0x8002;
constexpr BYTE TranslucentAlpha = 180;

// Live only during one AppMessageBox call on the main thread.
HHOOK HookHandle = nullptr;
HWND MessageBoxWindow = nullptr;

bool IsDialogClass(LPCSTR className) {
    if (IS_INTRESOURCE(className)) {
        return reinterpret_cast<ULONG_PTR>(className) == DialogClassAtom;
    }
    return className != nullptr && lstrcmpA(className, "#32770") == 0;
}

LRESULT CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code <= 0) {
        return CallNextHookEx(HookHandle, code, wParam, lParam);
    }
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        if (IsDialogClass(create->lpcs->lpszClass)) {
            MessageBoxWindow = reinterpret_cast<HWND>(wParam);
        } else if (MessageBoxWindow != nullptr && SetLayeredWindowAttributesPtr != nullptr) {
            // The box's own controls are being created: the box exists now and can be made layered.
            const LONG exStyle = GetWindowLongA(MessageBoxWindow, GWL_EXSTYLE);
            SetWindowLongA(MessageBoxWindow, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
            SetLayeredWindowAttributesPtr(MessageBoxWindow, 0, TranslucentAlpha, LWA_ALPHA);
        }
    }
    return 0;
}

} // namespace

LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&] { return CbtHook(code, wParam, lParam); });
}

int AppMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style,
                  bool transparent) {
    if (CommandLineMode && !MessagesAllowed) {
        return IDYES;
    }
    ++ModalDepth;
    TScopeExit lowerDepth([] { --ModalDepth; });

    TUniqueHook hook;
    if (transparent && ProgramOptions.Transparency == 1 && SetLayeredWindowAttributesPtr != nullptr) {
        MessageBoxWindow = nullptr;
        hook.reset(SetWindowsHookExA(WH_CBT, CbtHookProc, GetModuleHandleA(nullptr), GetCurrentThreadId()));
        HookHandle = hook.get();
    }
    const int result = MessageBoxExA(owner, text.c_str(), caption.c_str(), style | MB_TOPMOST,
                                     MessageLangIds[ProgramOptions.Language == LanguageGerman ? 0 : 1]);
    hook.reset();
    HookHandle = nullptr;
    MessageBoxWindow = nullptr;
    return result;
}
