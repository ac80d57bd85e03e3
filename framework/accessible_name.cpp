#include "accessible_name.h"

#include "com_ptr.h"
#include "module_path.h"

#include <oleacc.h>

#include <new>
#include <string>

namespace {

typedef HRESULT(WINAPI* CreateStdAccessibleObjectFn)(HWND, LONG, REFIID, void**);
typedef LRESULT(WINAPI* LresultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);

// The standard object of a window, answering with another name for the window itself and as the
// standard object does for everything else. Each interface it answers for is its own, so that a
// client that asks for one and then back for IAccessible still has the named object; nothing about
// how this object is marshalled comes from the standard one.
class NamedAccessible final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    NamedAccessible(ComPtr<IAccessible> standard, ComPtr<IOleWindow> window, ComPtr<IEnumVARIANT> children,
                    const wchar_t* name)
        : m_standard(std::move(standard)), m_window(std::move(window)), m_children(std::move(children)), m_name(name) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == IID_IOleWindow && m_window)
            *out = static_cast<IOleWindow*>(this);
        else if (iid == IID_IEnumVARIANT && m_children)
            *out = static_cast<IEnumVARIANT*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        return m_standard->Invoke(id, iid, lcid, flags, params, result, exception, badArgument);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return m_standard->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = ::SysAllocString(m_name.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return m_standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return m_standard->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return m_standard->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return m_standard->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

    // IOleWindow: the window, as the standard object knows it.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return m_window->GetWindow(window); }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override {
        return m_window->ContextSensitiveHelp(enter);
    }

    // IEnumVARIANT: the children, as the standard object lists them. A clone lists them too.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
        return m_children->Next(count, children, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return m_children->Skip(count); }
    HRESULT STDMETHODCALLTYPE Reset() override { return m_children->Reset(); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override { return m_children->Clone(copy); }

private:
    ~NamedAccessible() = default;
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    LONG m_references = 1;
    ComPtr<IAccessible> m_standard;
    ComPtr<IOleWindow> m_window;
    ComPtr<IEnumVARIANT> m_children;
    const std::wstring m_name;  // a copy of its own: a client may hold the object past its window
};

// The system's accessibility library, from the system folder only; loaded at the first question
// a screen reader asks, and kept for the objects it hands out.
HMODULE AccessibilityLibrary() {
    if (const HMODULE loaded = ::GetModuleHandleW(L"oleacc.dll")) return loaded;
    return LoadSystemLibrary("oleacc.dll");
}

}  // namespace

IAccessible* CreateNamedAccessible(HWND window, const wchar_t* name) {
    const auto createStandard =
        FindFunction<CreateStdAccessibleObjectFn>(AccessibilityLibrary(), "CreateStdAccessibleObject");
    ComPtr<IAccessible> standard;
    if (!createStandard || FAILED(createStandard(window, OBJID_CLIENT, __uuidof(IAccessible), standard.PutVoid())))
        return nullptr;
    ComPtr<IOleWindow> ownWindow;
    ComPtr<IEnumVARIANT> children;
    standard->QueryInterface(IID_IOleWindow, ownWindow.PutVoid());
    standard->QueryInterface(IID_IEnumVARIANT, children.PutVoid());
    return new (std::nothrow) NamedAccessible(std::move(standard), std::move(ownWindow), std::move(children), name);
}

bool AnswerGetObjectWithName(HWND window, WPARAM wp, LPARAM lp, const wchar_t* name, LRESULT& answer) {
    if (static_cast<LONG>(lp) != OBJID_CLIENT) return false;
    const auto toLresult = FindFunction<LresultFromObjectFn>(AccessibilityLibrary(), "LresultFromObject");
    if (!toLresult) return false;
    IAccessible* const named = CreateNamedAccessible(window, name);
    if (!named) return false;
    // The answer holds its own reference (or none, if it failed); ours goes.
    answer = toLresult(__uuidof(IAccessible), wp, static_cast<IAccessible*>(named));
    named->Release();
    return answer >= 0;
}
