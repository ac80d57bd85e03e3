// How the real Wi-FiSkylark.exe looks at one screen density: window size and place, the background
// picture of its display class, label colours, dragging, the background picture's failures, the
// licence box's font, the hidden rich edit and the animation. Built once per density; the prefix it
// runs in reports SKYLARK_E2E_DPI.
#include "wizard_fixture.h"

#include "gif_walker.h"
#include "resource.h"
#include "system_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

namespace e2e {
namespace {

std::string DataFile(const char* name) { return WindowsPathFromUnix(SKYLARK_E2E_DATA) + "\\" + name; }

// Test pictures in data/, made with ImageMagick: three solid ones of 64 x 48
// (convert -size 64x48 xc:#C83C28 -strip -quality 95 solid-red.jpg) and one of two bands of 64 x 32
// (convert -size 64x32 xc:#E6C828 -size 64x32 xc:#782AA0 -append -strip -quality 95 bands.jpg). All
// are smaller than any window, so they fill one only if stretched.
const COLORREF kRed = RGB(0xC8, 0x3C, 0x28);
const COLORREF kGreen = RGB(0x28, 0x96, 0x46);
const COLORREF kBlue = RGB(0x32, 0x50, 0xC8);
const COLORREF kBandTop = RGB(0xE6, 0xC8, 0x28);
const COLORREF kBandBottom = RGB(0x78, 0x2A, 0xA0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kDarkGrey = RGB(0x33, 0x33, 0x33);
constexpr int kJpegTolerance = 10;  // per channel: JPEG decoders round differently

struct DisplayClass {
    int width, height;
    const char* picture;
    COLORREF colour;  // of its solid test picture
};

const DisplayClass kClasses[] = {
    {600, 398, "main96DPI.jpg", kRed},
    {750, 498, "main125DPI.jpg", kGreen},
    {900, 597, "main150DPI.jpg", kBlue},
};

const DisplayClass& ClassForDpi(int dpi) { return dpi <= 96 ? kClasses[0] : dpi <= 125 ? kClasses[1] : kClasses[2]; }

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

const char* ClassNameOfColour(COLORREF c) {
    for (const auto& cls : kClasses) {
        if (Near(c, cls.colour, kJpegTolerance)) return cls.picture;
    }
    return "no test picture";
}

// With SKYLARK_E2E_SHOTS naming a folder (a Unix path), a check that fails leaves its capture there.
void KeepShot(const ClientSnapshot& shot, const std::string& name) {
    if (const char* folder = std::getenv("SKYLARK_E2E_SHOTS")) {
        const std::string path =
            WindowsPathFromUnix(folder) + "\\" + std::to_string(SKYLARK_E2E_DPI) + "-" + name + ".bmp";
        if (shot.SaveBmp(path)) std::printf("capture kept in %s\n", path.c_str());
    }
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The part of a snapshot under rect (the snapshot's coordinates), as a snapshot of its own.
ClientSnapshot Crop(const ClientSnapshot& shot, const RECT& rect) {
    ClientSnapshot part;
    const int left = rect.left < 0 ? 0 : rect.left, top = rect.top < 0 ? 0 : rect.top;
    const int right = rect.right > shot.width ? shot.width : rect.right;
    const int bottom = rect.bottom > shot.height ? shot.height : rect.bottom;
    if (right <= left || bottom <= top) return part;
    part.width = right - left;
    part.height = bottom - top;
    for (int y = top; y < bottom; ++y) {
        const auto row = shot.pixels.begin() + static_cast<std::ptrdiff_t>(y) * shot.width;
        part.pixels.insert(part.pixels.end(), row + left, row + right);
    }
    return part;
}

// Where the background shows on the dialog: pixels outside every visible control. Lists the
// first few that do not have the colour expected at their row (none for rows not judged).
struct BackgroundCheck {
    int judged = 0, wrong = 0;
    std::string examples;
};

BackgroundCheck CheckBackground(const ClientSnapshot& shot, const std::vector<RECT>& controls,
                                const std::function<bool(int y, COLORREF& want)>& expected) {
    BackgroundCheck check;
    for (int y = 0; y < shot.height; ++y) {
        COLORREF want = 0;
        if (!expected(y, want)) continue;
        for (int x = 0; x < shot.width; ++x) {
            bool covered = false;
            for (const RECT& r : controls) covered = covered || Inside(r, x, y);
            if (covered) continue;
            ++check.judged;
            const COLORREF got = shot.At(x, y);
            if (Near(got, want, kJpegTolerance)) continue;
            if (++check.wrong <= 5) {
                check.examples += " (" + std::to_string(x) + "," + std::to_string(y) + ") is " + Hex(got) + " [" +
                                  ClassNameOfColour(got) + "], not " + Hex(want) + ";";
            }
        }
    }
    return check;
}

// How a label is drawn over a solid background: its rectangle minus the controls above it.
struct LabelCheck {
    int pixels = 0, textColoured = 0, background = 0, otherColour = 0, oppositeColour = 0;
    COLORREF firstOther = 0;
};

LabelCheck CheckLabel(const ClientSnapshot& shot, const RECT& label, const std::vector<RECT>& others, COLORREF text,
                      COLORREF opposite, COLORREF background) {
    LabelCheck check;
    // The template's labels may reach past the window, which is smaller than the template.
    for (int y = std::max<int>(label.top, 0); y < std::min<int>(label.bottom, shot.height); ++y) {
        for (int x = std::max<int>(label.left, 0); x < std::min<int>(label.right, shot.width); ++x) {
            bool covered = false;
            for (const RECT& r : others) covered = covered || Inside(r, x, y);
            if (covered) continue;
            const COLORREF c = shot.At(x, y);
            ++check.pixels;
            check.textColoured += c == text;
            check.background += Near(c, background, kJpegTolerance);
            check.oppositeColour += Near(c, opposite, 8);
            if (!Between(c, text, background, kJpegTolerance + 2) && check.otherColour++ == 0) check.firstOther = c;
        }
    }
    return check;
}

// The bounding box of the first run of rows holding ink (any channel below 0x80) in a snapshot
// of dark text on white, and the top of the next such run (-1 when there is none).
struct InkLine {
    RECT box = {0, 0, 0, 0};
    int nextTop = -1;
    bool found = false;
};

InkLine FirstInkLine(const ClientSnapshot& shot) {
    auto inked = [&](int x, int y) {
        const COLORREF c = shot.At(x, y);
        return GetRValue(c) < 0x80 || GetGValue(c) < 0x80 || GetBValue(c) < 0x80;
    };
    auto rowInked = [&](int y) {
        for (int x = 0; x < shot.width; ++x) {
            if (inked(x, y)) return true;
        }
        return false;
    };
    InkLine line;
    int y = 0;
    while (y < shot.height && !rowInked(y)) ++y;
    if (y == shot.height) return line;
    line.found = true;
    line.box.top = y;
    while (y < shot.height && rowInked(y)) ++y;
    line.box.bottom = y;
    while (y < shot.height && !rowInked(y)) ++y;
    if (y < shot.height) line.nextTop = y;
    line.box.left = shot.width;
    line.box.right = 0;
    for (int row = line.box.top; row < line.box.bottom; ++row) {
        for (int x = 0; x < shot.width; ++x) {
            if (!inked(x, row)) continue;
            if (x < line.box.left) line.box.left = x;
            if (x + 1 > line.box.right) line.box.right = x + 1;
        }
    }
    return line;
}

// An edit control of this process that shows text as the licence box does (dark grey on white) in
// a font of the test's choosing: the reference the licence box is compared with, since an edit
// lays out its glyphs differently from a plain TextOut.
class LocalEdit {
public:
    LocalEdit(const LOGFONTA& font, const std::string& text, int width, int height) {
        static const ATOM s_class = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &LocalEdit::HostProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.lpszClassName = "SkylarkE2eEditHost";
            return RegisterClassA(&wc);
        }();
        m_font = CreateFontIndirectA(&font);
        m_host = CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(s_class), "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        m_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, width, height, m_host,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(m_edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
        SetWindowTextA(m_edit, text.c_str());
    }
    ~LocalEdit() {
        if (m_host) DestroyWindow(m_host);
        if (m_font) DeleteObject(m_font);
        support::PumpMessages();
    }
    LocalEdit(const LocalEdit&) = delete;
    LocalEdit& operator=(const LocalEdit&) = delete;

    // What the edit shows on the screen once it has painted its text.
    ClientSnapshot Capture() {
        ClientSnapshot shot;
        if (!m_edit) return shot;
        RedrawWindow(m_host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT client = {};
        GetClientRect(m_edit, &client);
        MapWindowPoints(m_edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
        WaitUntil(
            [&] {
                support::PumpMessages();
                shot = CaptureScreen(client);
                return FirstInkLine(shot).nextTop > 0;
            },
            10000);
        return shot;
    }

private:
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CTLCOLOREDIT) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kDarkGrey);
            SetBkColor(dc, kWhite);
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HFONT m_font = nullptr;
    HWND m_host = nullptr, m_edit = nullptr;
};

LOGFONTA Font(const char* face, int height, LONG weight) {
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

// Pixels that differ by more than a little between two ink boxes of the same size.
int InkDifference(const ClientSnapshot& a, const RECT& boxA, const ClientSnapshot& b, const RECT& boxB) {
    int differ = 0;
    for (int y = 0; y < boxA.bottom - boxA.top; ++y) {
        for (int x = 0; x < boxA.right - boxA.left; ++x) {
            differ += !Near(a.At(boxA.left + x, boxA.top + y), b.At(boxB.left + x, boxB.top + y), 24);
        }
    }
    return differ;
}

// Hit testing as the system does it for a point of the dialog: the topmost visible child under the
// point is asked first, and one that answers HTTRANSPARENT hands the question to the dialog.
struct HitAnswer {
    LRESULT code = HTNOWHERE;
    HWND answeredBy = nullptr;
};

HitAnswer HitTest(HWND dialog, POINT client) {
    POINT screen = client;
    ClientToScreen(dialog, &screen);
    auto ask = [&](HWND window) {
        DWORD_PTR code = HTNOWHERE;
        SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y), SMTO_ABORTIFHUNG, 5000, &code);
        return HitAnswer{static_cast<LRESULT>(static_cast<LONG_PTR>(code)), window};
    };
    const HWND first = ChildWindowFromPointEx(dialog, client, CWP_SKIPINVISIBLE);
    if (!first) return HitAnswer{};
    const HitAnswer answer = ask(first);
    return answer.code == HTTRANSPARENT && first != dialog ? ask(dialog) : answer;
}

// Presses the primary button at a screen point, moves the mouse by (dx, dy) in steps and releases.
void Drag(POINT from, int dx, int dy) {
    MoveMouse(from);
    MoveMouse(from, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 5; ++i) MoveMouse({from.x + dx * i / 5, from.y + dy * i / 5});
    MoveMouse({from.x + dx, from.y + dy}, MOUSEEVENTF_LEFTUP);
}

class AppearanceTest : public WizardFixture {
protected:
    void SetUp() override {
        const int dpi = support::ScreenDpi();
        ASSERT_EQ(dpi, SKYLARK_E2E_DPI) << "the prefix does not report the density this program tests";
        m_class = &ClassForDpi(dpi);
    }

    // The three test colours in place of the three background pictures.
    DistCopyOptions SolidPictures() const {
        DistCopyOptions options;
        const char* files[] = {"solid-red.jpg", "solid-green.jpg", "solid-blue.jpg"};
        for (size_t i = 0; i < 3; ++i) {
            std::string bytes;
            EXPECT_TRUE(ReadWholeFile(DataFile(files[i]), bytes)) << DataFile(files[i]);
            options.replaceFiles.push_back({std::string("data\\") + kClasses[i].picture, bytes});
        }
        return options;
    }

    HWND Dialog() const { return m_wizard->Dialog(); }

    std::vector<RECT> VisibleControlRects() const {
        std::vector<RECT> rects;
        for (HWND control : VisibleControls(Dialog())) rects.push_back(RectInDialog(Dialog(), control));
        return rects;
    }

    // Fatal when a box comes, so that a wizard that keeps showing boxes does not hold the test up.
    void AssertNoMessageBoxFor(DWORD ms, const char* when) {
        HWND box = nullptr;
        WaitUntil([&] { return (box = m_wizard->FindMessageBox()) != nullptr; }, ms);
        const std::string text = box ? WindowText(GetDlgItem(box, kMessageBoxTextId)) : "";
        if (box) PressMessageBoxOk(box);
        ASSERT_EQ(box, nullptr) << when << ": a message box says \"" << text << "\"";
    }

    // Each time, waits until the window has taken up the repaint: BeginPaint empties the update
    // region before it erases. (Painting synchronously from here would hang on a message box.)
    void RepaintAll(int times) {
        for (int i = 0; i < times; ++i) {
            RedrawWindow(Dialog(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
            EXPECT_TRUE(WaitUntil([&] { return !GetUpdateRect(Dialog(), nullptr, FALSE); }, 10000))
                << "the window was not repainted";
        }
    }

    const DisplayClass* m_class = nullptr;
};

TEST_F(AppearanceTest, WindowHasTheClassSizeCentredWithoutCaption) {
    Start(TestDist(), SolidPictures());
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT window = {};
    ASSERT_TRUE(GetWindowRect(Dialog(), &window));
    EXPECT_EQ(window.right - window.left, m_class->width);
    EXPECT_EQ(window.bottom - window.top, m_class->height);
    // Signed division truncates toward zero, as the program's placement must.
    EXPECT_EQ(window.left, (screenWidth - m_class->width) / 2) << "screen " << screenWidth << "x" << screenHeight;
    EXPECT_EQ(window.top, (screenHeight - m_class->height) / 2) << "screen " << screenWidth << "x" << screenHeight;

    const LONG style = GetWindowLongA(Dialog(), GWL_STYLE);
    EXPECT_EQ(style & WS_BORDER, 0) << std::hex << style;
    EXPECT_EQ(style & WS_DLGFRAME, 0) << std::hex << style;
    EXPECT_NE(style & WS_POPUP, 0) << std::hex << style;
    RECT client = {};
    ASSERT_TRUE(GetClientRect(Dialog(), &client));
    EXPECT_EQ(client.right, window.right - window.left) << "a frame is left around the client area";
    EXPECT_EQ(client.bottom, window.bottom - window.top) << "a frame is left around the client area";
    POINT origin = {0, 0};
    ClientToScreen(Dialog(), &origin);
    EXPECT_EQ(origin.x, window.left);
    EXPECT_EQ(origin.y, window.top);
}

struct BackgroundCase {
    const char* label;
    bool bands;  // the class's picture is the two-band one instead of its solid colour
};

TEST_F(AppearanceTest, BackgroundIsTheClassPictureStretchedOverTheWholeWindow) {
    const BackgroundCase cases[] = {{"solid pictures of three colours", false}, {"two bands, upright", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DistCopyOptions options = SolidPictures();
        if (c.bands) {
            std::string bytes;
            ASSERT_TRUE(ReadWholeFile(DataFile("bands.jpg"), bytes));
            options.replaceFiles.push_back({std::string("data\\") + m_class->picture, bytes});
        }
        Start(TestDist(), options);
        // The first erase, and another after a page change hid and showed controls.
        for (Page page : {Page::Welcome, Page::Licence}) {
            SCOPED_TRACE(ControlsOf(page).name);
            ASSERT_TRUE(m_wizard->GoTo(page));
            const std::vector<RECT> controls = VisibleControlRects();
            const int height = m_class->height;
            // The two bands meet half-way down; rows near the seam may blend and are not judged.
            auto expected = [&](int y, COLORREF& want) {
                if (!c.bands) {
                    want = m_class->colour;
                    return true;
                }
                if (y >= height * 3 / 8 && y < height * 5 / 8) return false;
                want = y < height / 2 ? kBandTop : kBandBottom;
                return true;
            };
            const ClientSnapshot shot =
                CaptureWhen([&](const ClientSnapshot& s) { return CheckBackground(s, controls, expected).wrong == 0; });
            ASSERT_EQ(shot.width, m_class->width);
            ASSERT_EQ(shot.height, m_class->height);
            const BackgroundCheck check = CheckBackground(shot, controls, expected);
            EXPECT_GT(check.judged, shot.width * shot.height / 4);
            EXPECT_EQ(check.wrong, 0) << "of " << check.judged << " background pixels:" << check.examples;
            if (check.wrong)
                KeepShot(shot, std::string("background-") + (c.bands ? "bands-" : "solid-") + ControlsOf(page).name);
            // The four corners, which no control covers, belong to the picture's edges.
            COLORREF want = 0;
            for (POINT p : {POINT{0, 0}, POINT{shot.width - 1, 0}, POINT{0, shot.height - 1},
                            POINT{shot.width - 1, shot.height - 1}}) {
                ASSERT_TRUE(expected(p.y, want));
                EXPECT_TRUE(Near(shot.At(p.x, p.y), want, kJpegTolerance))
                    << "corner (" << p.x << "," << p.y << ") is " << Hex(shot.At(p.x, p.y));
            }
        }
        m_wizard->CancelAndExpectExitZero();
    }
}

struct LabelCase {
    Page page;
    int id;
    bool title;  // the white title line; every other label is dark grey
};

TEST_F(AppearanceTest, LabelsDrawOnlyTheirTextInTheirColour) {
    Start(ShippedDist(), SolidPictures());
    const LabelCase cases[] = {
        {Page::Welcome, IDC_TITLE, true},          {Page::Welcome, IDC_WELCOME_TITLE, false},
        {Page::Welcome, IDC_WELCOME_TEXT, false},  {Page::Installing, IDC_TITLE, true},
        {Page::Installing, IDC_INSTALLING, false}, {Page::Finish, IDC_TITLE, true},
        {Page::Finish, IDC_FINISH_TITLE, false},   {Page::Finish, IDC_FINISH_TEXT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(ControlsOf(c.page).name) + " page, label " + std::to_string(c.id));
        if (c.page == Page::Finish && !m_wizard->Shows(Page::Finish)) {
            ASSERT_NO_FATAL_FAILURE(EndPackage());
        }
        ASSERT_TRUE(m_wizard->GoTo(c.page));
        HWND label = m_wizard->Control(c.id);
        ASSERT_TRUE(label && IsWindowVisible(label));
        const RECT rect = RectInDialog(Dialog(), label);
        std::vector<RECT> others;
        for (HWND control : VisibleControls(Dialog())) {
            if (control != label) others.push_back(RectInDialog(Dialog(), control));
        }
        const COLORREF text = c.title ? kWhite : kDarkGrey, opposite = c.title ? kDarkGrey : kWhite;
        const COLORREF background = m_class->colour;
        auto painted = [&](const ClientSnapshot& s) {
            const LabelCheck check = CheckLabel(s, rect, others, text, opposite, background);
            return check.textColoured > 0 && check.otherColour == 0;
        };
        const ClientSnapshot shot = CaptureWhen(painted);
        const LabelCheck check = CheckLabel(shot, rect, others, text, opposite, background);
        if (!painted(shot))
            KeepShot(shot, std::string("label-") + ControlsOf(c.page).name + "-" + std::to_string(c.id));
        ASSERT_GT(check.pixels, 0) << RectText(rect);
        EXPECT_GE(check.textColoured, 10) << "too few pixels of the text colour " << Hex(text);
        EXPECT_EQ(check.oppositeColour, 0) << "pixels near " << Hex(opposite);
        EXPECT_EQ(check.otherColour, 0) << "pixels that are neither text nor background, the first "
                                        << Hex(check.firstOther);
        // A label with a background of its own would leave none of the picture showing.
        EXPECT_GT(check.background, check.pixels / 2) << "of " << check.pixels << " pixels";
    }
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

struct HitCase {
    const char* what;
    int id;  // the control under the point; 0: a point of the background
    LRESULT code;
};

TEST_F(AppearanceTest, HitTestAnswersCaptionOnBackgroundAndLabelsClientOnButtons) {
    Start(ShippedDist(), SolidPictures());
    const HitCase cases[] = {
        {"background", 0, HTCAPTION},
        {"title line", IDC_TITLE, HTCAPTION},
        {"welcome heading", IDC_WELCOME_TITLE, HTCAPTION},
        {"welcome text", IDC_WELCOME_TEXT, HTCAPTION},
        {"Next", IDC_WELCOME_NEXT, HTCLIENT},
        {"Cancel", IDC_WELCOME_CANCEL, HTCLIENT},
        {"licence box", IDC_LICENSE_EDIT, HTCLIENT},
        {"Accept", IDC_ACCEPT, HTCLIENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.id == IDC_LICENSE_EDIT || c.id == 0) {
            ASSERT_TRUE(m_wizard->GoTo(c.id ? Page::Licence : Page::Welcome));
        }
        POINT point = {};
        if (c.id) {
            ASSERT_TRUE(m_wizard->IsVisible(c.id));
            const RECT r = RectInDialog(Dialog(), m_wizard->Control(c.id));
            point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        } else {
            // Near the bottom-left corner, where the template puts no visible control.
            point = {8, m_class->height - 8};
        }
        const HitAnswer answer = HitTest(Dialog(), point);
        EXPECT_EQ(answer.code, c.code) << "at (" << point.x << "," << point.y << ")";
        // Labels pass the question through: the dialog answers for them.
        HWND expectedAnswerer = c.code == HTCAPTION ? Dialog() : m_wizard->Control(c.id);
        EXPECT_EQ(answer.answeredBy, expectedAnswerer);
    }
    m_wizard->CancelAndExpectExitZero();
}

struct DragCase {
    const char* what;
    int id;      // the control pressed; 0: a point of the background
    bool moves;  // else the press clicks the control, and the Licence page comes
};

TEST_F(AppearanceTest, DragOnBackgroundOrLabelMovesTheWindowAButtonStillClicks) {
    Start(ShippedDist(), SolidPictures());
    ASSERT_TRUE(m_wizard->WaitForPage(Page::Welcome));
    const DragCase cases[] = {
        {"background", 0, true},
        {"title line", IDC_TITLE, true},
        {"welcome text", IDC_WELCOME_TEXT, true},
        {"Next", IDC_WELCOME_NEXT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RECT before = {};
        GetWindowRect(Dialog(), &before);
        POINT point = {8, m_class->height - 8};
        if (c.id) {
            const RECT r = RectInDialog(Dialog(), m_wizard->Control(c.id));
            point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
        ClientToScreen(Dialog(), &point);
        const int dx = c.moves ? 40 : 0, dy = c.moves ? 30 : 0;
        Drag(point, dx, dy);
        if (!c.moves) {
            ASSERT_TRUE(m_wizard->WaitForPage(Page::Licence));
        }
        RECT after = {};
        WaitUntil([&] { return GetWindowRect(Dialog(), &after) && after.left != before.left; }, c.moves ? 10000 : 1000);
        EXPECT_EQ(after.left - before.left, dx) << RectText(before) << " -> " << RectText(after);
        EXPECT_EQ(after.top - before.top, dy) << RectText(before) << " -> " << RectText(after);
        EXPECT_EQ(after.right - after.left, m_class->width);
    }
    m_wizard->CancelAndExpectExitZero();
}

// The stop icon is mostly red, which no other message box icon is.
int RedPixels(HWND box) {
    int red = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        RECT r = {};
        GetWindowRect(child, &r);
        const ClientSnapshot icon = CaptureScreen(r);
        for (int y = 0; y < icon.height; ++y) {
            for (int x = 0; x < icon.width; ++x) {
                const COLORREF p = icon.At(x, y);
                red += GetRValue(p) > 150 && GetGValue(p) < 90 && GetBValue(p) < 90;
            }
        }
    }
    return red;
}

TEST_F(AppearanceTest, MissingPictureIsReportedOnceAndTheWizardGoesOn) {
    DistCopyOptions options = SolidPictures();
    const std::string picture = std::string("data\\") + m_class->picture;
    options.replaceFiles.erase(std::remove_if(options.replaceFiles.begin(), options.replaceFiles.end(),
                                              [&](const auto& file) { return file.first == picture; }),
                               options.replaceFiles.end());
    options.removeFiles = {picture};
    Launch(TestDist(), options, kLongRun);

    HWND box = m_wizard->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxTextId)), m_copy->Path(picture) + " was not found.");
    EXPECT_EQ(WindowText(box), "Wi-FiSkylark");
    // The box may be listed before it has painted its icon.
    EXPECT_TRUE(WaitUntil([&] { return RedPixels(box) > 50; }, 10000)) << "no stop icon";
    PressMessageBoxOk(box);
    ASSERT_TRUE(WaitUntil([&] { return m_wizard->FindMessageBox() == nullptr; }));

    // Dismissing the box uncovered the window; repaints and page changes erase it again and again.
    ASSERT_NE(m_wizard->WaitForDialogWith(IDC_TITLE), nullptr);
    RepaintAll(3);
    ASSERT_NO_FATAL_FAILURE(AssertNoMessageBoxFor(1000, "after repaints"));
    ASSERT_TRUE(m_wizard->GoTo(Page::Licence));
    RepaintAll(2);
    ASSERT_TRUE(m_wizard->GoTo(Page::Installing));
    ASSERT_NO_FATAL_FAILURE(EndPackage());
    ASSERT_TRUE(m_wizard->GoTo(Page::Finish));
    RepaintAll(2);
    ASSERT_NO_FATAL_FAILURE(AssertNoMessageBoxFor(3000, "on the Finish page"));
    m_wizard->Click(IDC_FINISH);
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

struct BadPictureCase {
    const char* label;
    std::string bytes;
};

TEST_F(AppearanceTest, UndecodablePictureShowsNoMessageAndTheWizardWorks) {
    std::string jpeg;
    ASSERT_TRUE(ReadWholeFile(DataFile("solid-red.jpg"), jpeg));
    const BadPictureCase cases[] = {
        {"empty file", ""},
        {"garbage bytes", std::string("this is not a picture\r\n") + std::string(3000, '\xA5')},
        {"JPEG cut short", jpeg.substr(0, jpeg.size() / 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DistCopyOptions options = SolidPictures();
        options.replaceFiles.push_back({std::string("data\\") + m_class->picture, c.bytes});
        Start(TestDist(), options);
        ASSERT_TRUE(m_wizard->WaitForPage(Page::Welcome));
        RepaintAll(3);
        ASSERT_NO_FATAL_FAILURE(AssertNoMessageBoxFor(2000, "on the Welcome page"));
        ASSERT_TRUE(m_wizard->GoTo(Page::Installing));
        ASSERT_NO_FATAL_FAILURE(EndPackage());
        ASSERT_TRUE(m_wizard->GoTo(Page::Finish));
        ASSERT_NO_FATAL_FAILURE(AssertNoMessageBoxFor(500, "on the Finish page"));
        m_wizard->Click(IDC_FINISH);
        EXPECT_EQ(ExpectExit(*m_wizard), 0u);
    }
}

TEST_F(AppearanceTest, RichEditStaysHiddenOnEveryPage) {
    Start(ShippedDist(), SolidPictures());
    for (const PageControls& page : kPages) {
        SCOPED_TRACE(page.name);
        ASSERT_TRUE(m_wizard->WaitForPage(page.page));
        ASSERT_TRUE(m_wizard->Exists(IDC_LICENSE_RICHEDIT));
        EXPECT_FALSE(m_wizard->IsVisible(IDC_LICENSE_RICHEDIT));
        if (page.forwardId)
            m_wizard->Click(page.forwardId);
        else
            ASSERT_NO_FATAL_FAILURE(EndPackage());  // the run moves the wizard on
    }
    EXPECT_EQ(ExpectExit(*m_wizard), 0u);
}

TEST_F(AppearanceTest, LicenceBoxShowsItsTextInVerdanaTenPoint) {
    // Lines alike, each with an ascender and a descender, so that their ink starts a line apart.
    const std::string line = "Hxg Skylark licence Hxg";
    const std::string text = line + "\r\n" + line + "\r\n" + line + "\r\n";
    DistCopyOptions options = SolidPictures();
    options.replaceFiles.push_back({"data\\License.txt", text});
    Start(ShippedDist(), options);
    ASSERT_TRUE(m_wizard->GoTo(Page::Licence));

    HWND edit = m_wizard->Control(IDC_LICENSE_EDIT);
    RECT client = {};
    ASSERT_TRUE(GetClientRect(edit, &client));
    MapWindowPoints(edit, Dialog(), reinterpret_cast<POINT*>(&client), 2);
    const ClientSnapshot box =
        Crop(CaptureWhen([&](const ClientSnapshot& s) { return FirstInkLine(Crop(s, client)).nextTop > 0; }), client);
    const InkLine shown = FirstInkLine(box);
    ASSERT_TRUE(shown.found) << "no text in the licence box " << RectText(client);
    ASSERT_GT(shown.nextTop, 0) << "one line of text only";

    const int dpiY = support::ScreenDpi(LOGPIXELSY);
    const int width = client.right - client.left, height = client.bottom - client.top;
    auto reference = [&](const LOGFONTA& font, InkLine& ink) {
        LocalEdit local(font, text, width, height);
        const ClientSnapshot shot = local.Capture();
        ink = FirstInkLine(shot);
        return shot;
    };
    auto sameInk = [&](const ClientSnapshot& a, const InkLine& inkA, const ClientSnapshot& b, const InkLine& inkB) {
        const int w = inkA.box.right - inkA.box.left, h = inkA.box.bottom - inkA.box.top;
        return w == inkB.box.right - inkB.box.left && h == inkB.box.bottom - inkB.box.top &&
               inkA.nextTop - inkA.box.top == inkB.nextTop - inkB.box.top &&
               InkDifference(a, inkA.box, b, inkB.box) <= w * h / 50;
    };

    InkLine expected;
    const ClientSnapshot verdana = reference(Font("Verdana", -MulDiv(10, dpiY, 72), 500), expected);
    ASSERT_GT(expected.nextTop, 0) << "the reference edit shows no text";
    EXPECT_TRUE(sameInk(box, shown, verdana, expected))
        << "licence box: ink " << RectText(shown.box) << ", next line at " << shown.nextTop << "; Verdana 10 pt: ink "
        << RectText(expected.box) << ", next line at " << expected.nextTop;
    if (HasFailure()) KeepShot(box, "licence-box");

    // Whether this density lets the check tell the licence font from the fonts it replaces: where
    // Wine substitutes the same face at the same height, nobody can.
    for (const LOGFONTA& other : {Font("MS Sans Serif", -17, 400), Font("MS Shell Dlg", -MulDiv(8, dpiY, 72), 400)}) {
        InkLine ink;
        const ClientSnapshot replaced = reference(other, ink);
        if (sameInk(replaced, ink, verdana, expected)) {
            std::printf("note: at %d DPI \"%s\" %ld looks like Verdana 10 pt here; this check cannot tell them apart\n",
                        dpiY, other.lfFaceName, other.lfHeight);
        }
    }
    m_wizard->CancelAndExpectExitZero();
}

TEST_F(AppearanceTest, AnimationRunsOnTheInstallingPageThroughHideAndShow) {
    Start(ShippedDist(), SolidPictures());
    ASSERT_TRUE(m_wizard->GoTo(Page::Installing));
    HWND animation = m_wizard->Control(IDC_ANIMATION);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(animation) != FALSE; }));
    // The sample animation has eight frames of 100 ms: a running one shows several in two seconds.
    EXPECT_GE(DistinctAnimationFrames(), 3u) << "the animation does not run";
    const std::vector<DWORD> animationThread = support::LowestPriorityThreads(m_wizard->Pid());
    EXPECT_EQ(animationThread.size(), 1u) << "no single thread of the lowest priority";

    ShowWindow(animation, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(animation); }));
    Sleep(500);  // hidden for a few frames' time
    ShowWindow(animation, SW_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(animation) != FALSE; }));
    EXPECT_GE(DistinctAnimationFrames(), 3u) << "the animation stopped after hide and show";
    // Not restarted either: the thread that ran it before runs it still.
    EXPECT_EQ(support::LowestPriorityThreads(m_wizard->Pid()), animationThread);
    EXPECT_TRUE(m_wizard->IsVisible(IDC_INSTALL_CANCEL)) << "the Installing page has gone";

    m_wizard->CancelAndExpectExitZero();
}

// Next, then Accept the moment it shows, as fast as a user can: the Installing page shows the
// animation at once, at the picture's own size (the load sizes the control), and running.
TEST_F(AppearanceTest, AnimationRunsOnAnInstallingPageReachedAtOnce) {
    Start(ShippedDist(), SolidPictures());
    std::string gif;
    ASSERT_TRUE(ReadWholeFile(m_copy->Path("data\\zv_reset_animation.gif"), gif));
    core::GifWalker walker;
    ASSERT_TRUE(walker.Start(reinterpret_cast<const uint8_t*>(gif.data()), gif.size()));
    const int gifWidth = walker.ScreenWidth(), gifHeight = walker.ScreenHeight();

    m_wizard->Click(IDC_WELCOME_NEXT);
    ASSERT_TRUE(WaitUntil([&] { return m_wizard->IsVisible(IDC_ACCEPT); }));
    m_wizard->Click(IDC_ACCEPT);
    HWND animation = m_wizard->Control(IDC_ANIMATION);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(animation) != FALSE; }));
    RECT shown = {};
    GetWindowRect(animation, &shown);
    EXPECT_EQ(shown.right - shown.left, gifWidth) << "the animation was not loaded when its page came";
    EXPECT_EQ(shown.bottom - shown.top, gifHeight) << "the animation was not loaded when its page came";
    EXPECT_GE(DistinctAnimationFrames(), 3u) << "the animation does not run";

    m_wizard->CancelAndExpectExitZero();
}

}  // namespace
}  // namespace e2e
