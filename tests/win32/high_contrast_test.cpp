// The shipped program's question whether high contrast is on goes to the system, and only there:
// the wizard's own source, compiled as the shipped program compiles it, with SystemParametersInfoW
// answered by a stand-in put into this program's import table (Wine itself always answers "off").
#include "high_contrast.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

struct Asked {
    UINT action = 0;
    DWORD answerFlags = 0;
} g_asked;

BOOL WINAPI StandInSystemParametersInfoW(UINT action, UINT param, void* value, UINT) {
    g_asked.action = action;
    auto* setting = static_cast<HIGHCONTRASTW*>(value);
    if (action != SPI_GETHIGHCONTRAST || !setting || param != sizeof *setting || setting->cbSize != sizeof *setting)
        return FALSE;
    setting->dwFlags = g_asked.answerFlags;
    return TRUE;
}

// Points this program's import of dll!function at replacement; false if there is no such import.
bool ReplaceImport(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

TEST(HighContrastQuery, TheShippedProgramAsksTheSystemWhateverItsEnvironmentSays) {
    ASSERT_TRUE(ReplaceImport("user32.dll", "SystemParametersInfoW",
                              reinterpret_cast<void*>(&StandInSystemParametersInfoW)));
    // The test build's switch, set and named: the shipped program must not hear it.
    const HANDLE on = CreateEventA(nullptr, TRUE, TRUE, "skylark-shipped-high-contrast");
    ASSERT_NE(on, nullptr);
    SetEnvironmentVariableA("SKYLARK_TEST_HIGH_CONTRAST", "skylark-shipped-high-contrast");
    const struct {
        DWORD flags;
        bool on;
    } cases[] = {{HCF_HIGHCONTRASTON | HCF_AVAILABLE, true}, {HCF_AVAILABLE, false}, {0, false}};
    for (const auto& c : cases) {
        g_asked = {0, c.flags};
        EXPECT_EQ(HighContrastIsOn(), c.on) << "flags " << c.flags;
        EXPECT_EQ(g_asked.action, static_cast<UINT>(SPI_GETHIGHCONTRAST)) << "the system was not asked";
    }
    CloseHandle(on);
}

}  // namespace
