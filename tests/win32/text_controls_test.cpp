// CEditEx and CRichEditCtrlGS against real windows under Wine: a popup parent (a CWnd, so that it
// reflects the colour messages) holding an EDIT or RichEdit20A child.

#include "accessible_name.h"
#include "com_ptr.h"
#include "edit_ex.h"
#include "rich_edit_gs.h"
#include "screen_capture.h"
#include "system_info.h"
#include "text_controls_test_res.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <richedit.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char kParentClass[] = "SkylarkTextTestParent";
const int kChildId = 100;
const COLORREF kUnset = RGB(1, 2, 3);  // none of the colours the tests set

COLORREF BrushColour(HGDIOBJ brush) {
    LOGBRUSH lb = {};
    if (::GetObjectA(brush, sizeof(lb), &lb) != sizeof(lb)) return CLR_INVALID;
    return lb.lbStyle == BS_SOLID ? lb.lbColor : CLR_INVALID;
}

HFONT CurrentFont(HWND hwnd) { return reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0)); }

// Refuses one character and records what it was asked about.
class RefuseOne : public CEditCharFilter {
public:
    RefuseOne(UINT refused, std::vector<UINT>* asked) : m_refused(refused), m_asked(asked) {}
    BOOL IsCharAllowed(UINT nChar) override {
        m_asked->push_back(nChar);
        return nChar != m_refused;
    }

private:
    UINT m_refused;
    std::vector<UINT>* m_asked;
};

class TextControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kParentClass;
        ::RegisterClassA(&wc);
        // By full path, as the program does: a copy beside the test must not be taken.
        ::LoadLibraryA((support::SystemDir() + "\\riched20.dll").c_str());
    }

    void SetUp() override {
        const HWND hwnd = ::CreateWindowExA(0, kParentClass, "text controls", WS_POPUP | WS_VISIBLE, 0, 0, 480, 240,
                                            nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(m_parent.SubclassWindow(hwnd));
    }

    void TearDown() override {
        if (const HWND hwnd = m_parent.GetSafeHwnd()) ::DestroyWindow(hwnd);
    }

    HWND CreateChild(const char* cls, DWORD style, int width = 400, int height = 120) {
        return ::CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                                 m_parent.GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildId)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    }

    HWND CreateEdit(CEditEx& edit, DWORD style = ES_MULTILINE) {
        const HWND hwnd = CreateChild("EDIT", style);
        EXPECT_NE(hwnd, nullptr);
        EXPECT_TRUE(edit.SubclassWindow(hwnd));
        return hwnd;
    }

    // The parent's answer to the colour message, as the edit control asks for it when painting.
    HBRUSH AskColours(HWND child, UINT msg, HDC dc) {
        return reinterpret_cast<HBRUSH>(
            ::SendMessageA(m_parent.GetSafeHwnd(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    }

    CWnd m_parent;
};

TEST_F(TextControlsTest, EditPaintsItsColours) {
    struct Case {
        const char* name;
        bool setColours;
        COLORREF background;
        COLORREF text;
    };
    const Case cases[] = {
        {"no setters: system colours", false, ::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT)},
        {"the licence box", true, RGB(255, 255, 255), RGB(0x33, 0x33, 0x33)},
        {"neither colour a default", true, RGB(255, 255, 160), RGB(0, 0, 128)},
    };

    // A solid glyph in a big, unsmoothed font: its inner pixels are exactly the text colour.
    LOGFONTW lf = {};
    lf.lfHeight = -64;
    lf.lfWeight = FW_BOLD;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    CFont big;
    ASSERT_TRUE(big.CreateFontIndirect(lf));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditEx edit;
        const HWND hwnd = CreateEdit(edit);
        edit.SetFont(big.Get());
        edit.SetWindowText("WWWW");
        if (c.setColours) {
            edit.SetBkColor(c.background);
            edit.SetTextColor(c.text);
        }
        ::UpdateWindow(m_parent.GetSafeHwnd());
        ::UpdateWindow(hwnd);

        const support::Snapshot cap = support::CaptureWindowClient(hwnd);
        ASSERT_FALSE(cap.pixels.empty());
        const size_t background = cap.Count(c.background);
        const size_t text = cap.Count(c.text);
        // Every pixel is one of the two: the area behind the glyphs has the background colour too.
        EXPECT_EQ(background + text, cap.pixels.size());
        EXPECT_GT(text, cap.pixels.size() / 50) << "too few text pixels";
        EXPECT_GT(background, cap.pixels.size() / 2) << "too few background pixels";
        ::DestroyWindow(hwnd);
    }
}

TEST_F(TextControlsTest, ReflectedColoursKeepOneLiveBrush) {
    CEditEx edit;
    const HWND hwnd = CreateEdit(edit);
    const HDC dc = ::GetDC(hwnd);

    const COLORREF colours[] = {RGB(255, 255, 255), RGB(10, 20, 30), RGB(200, 100, 0), RGB(255, 255, 255)};
    HBRUSH previous = AskColours(hwnd, WM_CTLCOLOREDIT, dc);
    ASSERT_EQ(BrushColour(previous), ::GetSysColor(COLOR_WINDOW));
    for (COLORREF colour : colours) {
        edit.SetBkColor(colour);
        edit.SetTextColor(colour ^ 0xFFFFFF);
        // A read-only or disabled edit asks with the static kind: the same answer.
        for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
            ::SetTextColor(dc, kUnset);
            ::SetBkColor(dc, kUnset);
            const HBRUSH brush = AskColours(hwnd, msg, dc);
            EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
            EXPECT_EQ(BrushColour(brush), colour);
            EXPECT_EQ(::GetBkColor(dc), colour);
            EXPECT_EQ(::GetTextColor(dc), colour ^ 0xFFFFFF);
        }
        const HBRUSH current = AskColours(hwnd, WM_CTLCOLOREDIT, dc);
        EXPECT_NE(current, previous);
        EXPECT_EQ(::GetObjectType(previous), 0u) << "the old brush still lives";
        previous = current;
    }
    ::ReleaseDC(hwnd, dc);
}

TEST_F(TextControlsTest, CharFilterDropsRefusedCharacters) {
    struct Case {
        const char* name;
        bool withFilter;
        UINT refused;
        UINT typed;
        const char* expected;
    };
    const Case cases[] = {
        {"refused letter is dropped", true, 'x', 'x', "ab"},
        {"other letters are inserted", true, 'x', 'c', "abc"},
        {"refused backspace does not delete", true, VK_BACK, VK_BACK, "ab"},
        {"allowed backspace deletes", true, 'x', VK_BACK, "a"},
        {"no filter: backspace deletes", false, 0, VK_BACK, "a"},
        {"no filter: letters are inserted", false, 0, 'x', "abx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditEx edit;
        const HWND hwnd = CreateEdit(edit);
        std::vector<UINT> asked;
        if (c.withFilter) edit.SetCharFilter(std::make_unique<RefuseOne>(c.refused, &asked));
        edit.SetWindowText("ab");
        edit.SendMessage(EM_SETSEL, 2, 2);

        edit.SendMessage(WM_CHAR, c.typed, 1);

        EXPECT_EQ(edit.GetWindowText(), c.expected);
        if (c.withFilter) {
            EXPECT_EQ(asked, std::vector<UINT>{c.typed});
        }
        ::DestroyWindow(hwnd);
    }
}

TEST_F(TextControlsTest, EditFontIsOwnedUntilTheControlGoes) {
    HFONT second = nullptr;
    {
        CEditEx edit;
        const HWND hwnd = CreateEdit(edit);

        edit.SetEditFont();
        const HFONT first = CurrentFont(hwnd);
        ASSERT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
        LOGFONTA lf = {};
        ASSERT_EQ(::GetObjectA(first, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_EQ(lf.lfHeight, -17);
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
        EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");

        edit.SetEditFont();
        second = CurrentFont(hwnd);
        EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
        EXPECT_NE(second, first);
        EXPECT_EQ(::GetObjectType(first), 0u) << "the first own font still lives";

        // The owner's font replaces what is shown; the control keeps its own.
        CFont owners;
        LOGFONTW verdana = {};
        verdana.lfHeight = -13;
        verdana.lfWeight = 500;
        ::lstrcpynW(verdana.lfFaceName, L"Verdana", LF_FACESIZE);
        ASSERT_TRUE(owners.CreateFontIndirect(verdana));
        edit.SetFont(owners.Get());
        EXPECT_EQ(CurrentFont(hwnd), owners.Get());
        EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_FONT));

        ::DestroyWindow(hwnd);
        EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_FONT)) << "the window does not own it";
    }
    EXPECT_EQ(::GetObjectType(second), 0u) << "the control's own font outlived it";
}

// The menu that a context-menu request opened: the id of its first item, read while it is shown.
UINT g_firstMenuItem = 0;
int g_probeTicks = 0;

void CALLBACK ProbeMenu(HWND, UINT, UINT_PTR, DWORD) {
    ++g_probeTicks;
    const HWND menuWnd = ::FindWindowA("#32768", nullptr);
    if (menuWnd && ::IsWindowVisible(menuWnd)) {
        const HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWnd, MN_GETHMENU, 0, 0));
        g_firstMenuItem = menu ? ::GetMenuItemID(menu, 0) : 0;
        ::EndMenu();
    } else if (g_probeTicks > 200) {
        ::EndMenu();  // a menu that never became visible must not hang the test
    }
}

UINT OpenContextMenu(HWND hwnd) {
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    g_firstMenuItem = 0;
    g_probeTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &ProbeMenu);
    // Menus track inside this call and return when the probe ends them.
    ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(rc.left + 20, rc.top + 20));
    ::KillTimer(nullptr, timer);
    return g_firstMenuItem;
}

// The name of the object a control answers a screen reader with, asked of the object itself (no
// proxy between, which would answer from its own cache); `through` another of its interfaces and
// back to IAccessible where one is given.
std::wstring AccessibleName(IAccessible* named, const IID* through) {
    ComPtr<IAccessible> accessible;
    ComPtr<IUnknown> other;
    // __uuidof: MinGW's import library defines IID_IAccessible with another GUID.
    if (!through) named->QueryInterface(__uuidof(IAccessible), accessible.PutVoid());
    else if (SUCCEEDED(named->QueryInterface(*through, other.PutVoid())))
        other->QueryInterface(__uuidof(IAccessible), accessible.PutVoid());
    if (!accessible) return L"(no way there and back)";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = SUCCEEDED(accessible->get_accName(self, &name)) && name ? name : L"";
    ::SysFreeString(name);
    return text;
}

// The name holds whichever interface of the object a reader asks through, and outlives the
// string it was given in.
TEST_F(TextControlsTest, AGivenNameHoldsThroughEveryInterfaceOfTheObject) {
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    CEditEx edit;
    const HWND hwnd = CreateEdit(edit);
    IAccessible* named = CreateNamedAccessible(hwnd, std::wstring(L"Licence agreement").c_str());  // gone at once
    ASSERT_NE(named, nullptr);
    for (const IID* through : {static_cast<const IID*>(nullptr), &IID_IDispatch, &IID_IOleWindow, &IID_IEnumVARIANT}) {
        EXPECT_EQ(AccessibleName(named, through), L"Licence agreement");
    }
    named->Release();
    ::DestroyWindow(hwnd);
    ::CoUninitialize();
}

TEST_F(TextControlsTest, ContextMenuFromResourceOrStandard) {
    struct Case {
        const char* name;
        UINT menuId;
        bool ours;
    };
    const Case cases[] = {
        {"no menu id: the standard menu", 0, false},
        {"a menu resource", IDM_TEST_CONTEXT, true},
        {"an id with no menu behind it: the standard menu", 999, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditEx edit;
        const HWND hwnd = CreateEdit(edit);
        edit.SetWindowText("text");
        edit.SetContextMenuId(c.menuId);

        const UINT first = OpenContextMenu(hwnd);
        if (c.ours) {
            EXPECT_EQ(first, static_cast<UINT>(ID_TEST_PROBE));
        } else {
            EXPECT_NE(first, 0u) << "no menu was shown";
            EXPECT_NE(first, static_cast<UINT>(ID_TEST_PROBE));
        }
        ::DestroyWindow(hwnd);
    }
}

CHARFORMATA FormatOf(HWND rich, LONG from, LONG to) {
    ::SendMessageA(rich, EM_SETSEL, static_cast<WPARAM>(from), to);
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageA(rich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

bool IsRed(const CHARFORMATA& cf) {
    return (cf.dwMask & CFM_COLOR) && !(cf.dwEffects & CFE_AUTOCOLOR) && cf.crTextColor == RGB(255, 0, 0);
}

bool FollowsSystemColour(const CHARFORMATA& cf) { return (cf.dwMask & CFM_COLOR) && (cf.dwEffects & CFE_AUTOCOLOR); }

class RichEditTest : public TextControlsTest {
protected:
    void SetUp() override {
        TextControlsTest::SetUp();
        const HWND hwnd = CreateChild("RichEdit20A", ES_MULTILINE | ES_READONLY | WS_VSCROLL);
        ASSERT_NE(hwnd, nullptr) << "RichEdit20A is not registered";
        ASSERT_TRUE(m_rich.SubclassWindow(hwnd));
    }

    CRichEditCtrlGS m_rich;
};

TEST_F(RichEditTest, EmptyControlTypesRedAtTheInsertionPoint) {
    const HWND hwnd = m_rich.GetSafeHwnd();
    ASSERT_TRUE(FollowsSystemColour(FormatOf(hwnd, 0, 0)));

    m_rich.SetSelectionRed();

    const CHARFORMATA cf = FormatOf(hwnd, 0, 0);
    EXPECT_EQ(cf.crTextColor, static_cast<COLORREF>(0x0000FF));
    EXPECT_FALSE(cf.dwEffects & CFE_AUTOCOLOR);
    // Text entered now takes that format.
    ::SendMessageA(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("licence"));
    EXPECT_TRUE(IsRed(FormatOf(hwnd, 0, 7)));
}

TEST_F(RichEditTest, SelectionBecomesRed) {
    const HWND hwnd = m_rich.GetSafeHwnd();
    m_rich.SetWindowText("hello world");
    ASSERT_TRUE(FollowsSystemColour(FormatOf(hwnd, 0, 5)));

    m_rich.SetSelectionRed();

    EXPECT_TRUE(IsRed(FormatOf(hwnd, 0, 5)));
    EXPECT_TRUE(IsRed(FormatOf(hwnd, 2, 3)));
    EXPECT_TRUE(FollowsSystemColour(FormatOf(hwnd, 6, 11))) << "text outside the selection changed";
}

TEST_F(RichEditTest, MixedSelectionKeepsItsColours) {
    const HWND hwnd = m_rich.GetSafeHwnd();
    m_rich.SetWindowText("blue auto");
    ::SendMessageA(hwnd, EM_SETSEL, 0, 4);
    CHARFORMATA blue = {};
    blue.cbSize = sizeof(blue);
    blue.dwMask = CFM_COLOR;
    blue.crTextColor = RGB(0, 0, 255);
    ::SendMessageA(hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&blue));
    ASSERT_FALSE(FormatOf(hwnd, 0, 9).dwMask & CFM_COLOR) << "the control reports one colour";

    m_rich.SetSelectionRed();

    const CHARFORMATA first = FormatOf(hwnd, 0, 4);
    EXPECT_EQ(first.crTextColor, RGB(0, 0, 255));
    EXPECT_FALSE(first.dwEffects & CFE_AUTOCOLOR);
    EXPECT_TRUE(FollowsSystemColour(FormatOf(hwnd, 5, 9)));
}

}  // namespace
