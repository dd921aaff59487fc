#include "host/importpatch.h"
#include "host/settingsrecord.h"
#include "tests/host/failingstream.h"
#include "tests/host/canvas.h"
#include "tests/host/pluginfixture.h"
#include "tests/host/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <shellapi.h>
#include <string>
#include <vector>

namespace {

std::string TextAt(const std::vector<BYTE>& bytes, size_t offset) {
    return std::string(reinterpret_cast<const char*>(&bytes.at(offset)));
}

ULONGLONG StreamPosition(IStream* stream) {
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER position = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &position);
    return position.QuadPart;
}

// The icon drawn on white, row by row from the top.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
    CCanvas canvas(size, size, RGB(255, 255, 255));
    DrawIconEx(canvas.Dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            pixels.push_back(canvas.Pixel(x, y));
    }
    return pixels;
}

bool IsReddish(COLORREF pixel) {
    return GetRValue(pixel) > 120 && GetGValue(pixel) < 90 && GetBValue(pixel) < 90;
}

// True when the address lies in one of the module's executable sections.
bool IsCodeOf(HMODULE module, const void* address) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(module)->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const BYTE* start = base + section->VirtualAddress;
        if ((section->Characteristics & IMAGE_SCN_MEM_EXECUTE) && address >= start &&
            address < start + section->Misc.VirtualSize)
            return true;
    }
    return false;
}

// What the plug-in's module hands back to the C runtime.
std::vector<void*> freedByModule;
void (*realFree)(void*) = nullptr;
void RecordFree(void* memory) {
    freedByModule.push_back(memory);
    realFree(memory);
}

class PluginTest : public PluginObjectTest {
protected:
    std::string IconLocation() {
        char buffer[MAX_PATH] = {};
        plugin->GetIconLocation(buffer);
        return buffer;
    }
    std::string ModulePath() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(library->Module(), path, MAX_PATH);
        return path;
    }
    // A module that exists but holds no icon.
    static std::string IconlessModule() {
        char path[MAX_PATH] = {};
        GetFullPathNameA("lang_1_2_0_0.dll", MAX_PATH, path, nullptr);
        return path;
    }
};

TEST_F(PluginTest, NewObjectSavesDefaultRecordOfVersionFour) {
    std::vector<BYTE> bytes = Saved();
    ASSERT_EQ(bytes.size(), RECORD_SIZE);
    EXPECT_EQ(WordAt(bytes, 0), 4u);
    EXPECT_EQ(WordAt(bytes, 4), 191u);
    EXPECT_EQ(WordAt(bytes, 8), 2u);
    EXPECT_EQ(TextAt(bytes, 12), "");
    EXPECT_EQ(TextAt(bytes, 272), "");
    EXPECT_EQ(bytes[532] | bytes[533] << 8, 0);
}

TEST_F(PluginTest, SaveWritesEveryFieldAtItsOffsetAndLoadRestoresIt) {
    SettingsRecord record{4,     32 + 2, 128, "C:\\icons\\exit.ico,3", "Night\\quiescorskin.ini",
                          0x0251};
    LoadBytes(record.Bytes());
    EXPECT_EQ(Saved(), record.Bytes());

    record.version = 9;
    record.flags = 7;
    LoadBytes(record.Bytes());
    std::vector<BYTE> saved = Saved();
    EXPECT_EQ(WordAt(saved, 0), 4u) << "the version written is always the current one";
    EXPECT_EQ(WordAt(saved, 4), 7u);
}

TEST_F(PluginTest, OlderAndNewerVersionsReadOnlyTheirFields) {
    SettingsRecord full{4, 5, 8, "a.ico,1", "Old\\quiescorskin.ini", 0x0341};
    LoadBytes(full.Bytes());

    // Version 2 has no skin and hot key: they keep their values, and 272 bytes are read.
    SettingsRecord two{2, 6, 16, "b.ico,2", "Ignored\\quiescorskin.ini", 0x0999};
    StreamPtr stream = StreamWith(two.Bytes());
    plugin->Load(stream.Get());
    EXPECT_EQ(StreamPosition(stream.Get()), 272u);
    std::vector<BYTE> saved = Saved();
    EXPECT_EQ(WordAt(saved, 4), 6u);
    EXPECT_EQ(TextAt(saved, 12), "b.ico,2");
    EXPECT_EQ(TextAt(saved, 272), "Old\\quiescorskin.ini");
    EXPECT_EQ(saved[532] | saved[533] << 8, 0x0341);

    // Any version above 3 reads the whole record.
    SettingsRecord seven{7, 1, 1, "c.ico,0", "Seven\\quiescorskin.ini", 0x0642};
    stream = StreamWith(seven.Bytes());
    plugin->Load(stream.Get());
    EXPECT_EQ(StreamPosition(stream.Get()), RECORD_SIZE);
    saved = Saved();
    EXPECT_EQ(TextAt(saved, 272), "Seven\\quiescorskin.ini");
    EXPECT_EQ(saved[532] | saved[533] << 8, 0x0642);

    // Version 0 clears both names but keeps the hot key.
    std::vector<BYTE> zero = SettingsRecord{0, 3, 4, "", "", 0}.Bytes();
    LoadBytes(std::vector<BYTE>(zero.begin(), zero.begin() + 12));
    saved = Saved();
    EXPECT_EQ(WordAt(saved, 4), 3u);
    EXPECT_EQ(WordAt(saved, 8), 4u);
    EXPECT_EQ(TextAt(saved, 12), "");
    EXPECT_EQ(TextAt(saved, 272), "");
    EXPECT_EQ(saved[532] | saved[533] << 8, 0x0642);
}

TEST_F(PluginTest, SaveReportsAStreamThatTakesNothing) {
    ScratchFolder scratch;
    StreamPtr refusing = ReadOnlyStream(scratch.Write("settings.dat", ""));
    ASSERT_NE(refusing.Get(), nullptr);
    EXPECT_EQ(plugin->Save(refusing.Get()), STG_E_ACCESSDENIED);
}

TEST_F(PluginTest, EmptyOrShortStreamsKeepWhatTheyDoNotReach) {
    LoadBytes(SettingsRecord{4, 5, 8, "a.ico,1", "Old\\quiescorskin.ini", 0x41}.Bytes());
    LoadBytes({});
    std::vector<BYTE> saved = Saved();
    EXPECT_EQ(WordAt(saved, 4), 5u);
    EXPECT_EQ(WordAt(saved, 8), 8u);
    EXPECT_EQ(TextAt(saved, 12), "") << "an empty stream reads as version 0";
    EXPECT_EQ(TextAt(saved, 272), "");

    // A new object given an empty stream keeps its defaults.
    plugin->Release();
    plugin = library->CreatePlugin();
    LoadBytes({});
    saved = Saved();
    EXPECT_EQ(WordAt(saved, 4), 191u);
    EXPECT_EQ(WordAt(saved, 8), 2u);

    // Cut inside the flags: nothing but the version arrives.
    std::vector<BYTE> cut = SettingsRecord{4, 0x55, 0x66, "x", "y", 1}.Bytes();
    StreamPtr shortStream = StreamWith(std::vector<BYTE>(cut.begin(), cut.begin() + 6));
    EXPECT_EQ(plugin->Load(shortStream.Get()), STG_E_READFAULT);
    EXPECT_EQ(WordAt(Saved(), 4), 191u);

    // Cut inside the skin name: nothing of a half-read record is taken.
    LoadBytes(SettingsRecord{4, 1, 1, "keep.ico,0", "Keep\\quiescorskin.ini", 0}.Bytes());
    cut = SettingsRecord{4, 2, 2, "new.ico,1", "Lost\\quiescorskin.ini", 0x77}.Bytes();
    shortStream = StreamWith(std::vector<BYTE>(cut.begin(), cut.begin() + 300));
    EXPECT_EQ(plugin->Load(shortStream.Get()), STG_E_READFAULT);
    saved = Saved();
    EXPECT_EQ(TextAt(saved, 12), "keep.ico,0");
    EXPECT_EQ(TextAt(saved, 272), "Keep\\quiescorskin.ini");
    EXPECT_EQ(saved[532] | saved[533] << 8, 0);
}

// A read that fails without moving would shift every later field: version 4 would
// become the flags, which is Restart alone, done at once at the next press.
TEST_F(PluginTest, AFailedReadKeepsTheWholeRecordItHadAndIsReported) {
    const std::vector<BYTE> kept =
        SettingsRecord{4, 0x3F, 8, "kept.ico,0", "Kept\\quiescorskin.ini", 0x41}.Bytes();
    const std::vector<BYTE> other =
        SettingsRecord{4, 0x11, 1, "new.ico,1", "New\\quiescorskin.ini", 0x77}.Bytes();
    for (int failing = 1; failing <= 6; ++failing) {
        LoadBytes(kept);
        StreamPtr stream = StreamFailingRead(other, failing);
        ASSERT_NE(stream.Get(), nullptr);
        EXPECT_EQ(plugin->Load(stream.Get()), STG_E_READFAULT) << "read " << failing;
        EXPECT_EQ(Saved(), kept) << "read " << failing;
    }
    // The same stream read whole is taken.
    LoadBytes(other);
    EXPECT_EQ(Saved(), other);
}

TEST_F(PluginTest, UnterminatedTextsFromTheStreamAreCutToTheirBuffers) {
    std::vector<BYTE> bytes = SettingsRecord{4, 1, 1, "", "", 0}.Bytes();
    std::fill(bytes.begin() + 12, bytes.begin() + 532, 'A');
    LoadBytes(bytes);
    EXPECT_EQ(IconLocation(), std::string(259, 'A'));
    std::vector<BYTE> saved = Saved();
    EXPECT_EQ(TextAt(saved, 272), std::string(259, 'A'));
}

TEST_F(PluginTest, LoadBindsTheHotKeyOnlyThroughASite) {
    LoadBytes(SettingsRecord{4, 1, 1, "", "", 0x0645}.Bytes());
    EXPECT_TRUE(site.calls.empty());
    plugin->SetSite(&site);
    LoadBytes(SettingsRecord{4, 1, 1, "", "", 0x0645}.Bytes());
    ASSERT_EQ(site.Count("SetHotKey"), 1u);
    SiteCall call = site.Calls("SetHotKey")[0];
    EXPECT_EQ(call.args[0], 2u);
    EXPECT_EQ(call.args[1], 0x0645u);
    EXPECT_EQ(call.args[2], 0u);
}

TEST_F(PluginTest, ReleaseUnbindsTheHotKey) {
    plugin->SetSite(&site);
    plugin->Release();
    plugin = nullptr;
    ASSERT_EQ(site.Count("SetHotKey"), 1u);
    EXPECT_EQ(site.Calls("SetHotKey")[0].args[1], 0u);
}

TEST_F(PluginTest, DefaultIconLocationIsTheButtonIconOfTheModule) {
    EXPECT_EQ(IconLocation(), ModulePath() + ",2");
    EXPECT_EQ(plugin->GetIconLocation(nullptr), S_OK);

    HICON extracted = nullptr;
    ASSERT_EQ(ExtractIconExA(ModulePath().c_str(), 2, &extracted, nullptr, 1), 1u);
    HICON button = static_cast<HICON>(
        LoadImageA(library->Module(), MAKEINTRESOURCEA(1009), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(IconPixels(extracted, 32), IconPixels(button, 32));
    DestroyIcon(extracted);
    DestroyIcon(button);

    plugin->SetIconLocation("D:\\art\\mine.ico,4");
    EXPECT_EQ(IconLocation(), "D:\\art\\mine.ico,4");
    plugin->SetIconLocation(nullptr);
    EXPECT_EQ(IconLocation(), "D:\\art\\mine.ico,4");
}

TEST_F(PluginTest, ButtonInfoFillsWhatItsMaskAsks) {
    ButtonInfo info;
    std::memset(&info, 0xCD, sizeof info);
    info.mask = BIM_ZERO_WORD | BIM_STYLE | BIM_CAPTION;
    plugin->SetCaption("Shut down");
    plugin->GetButtonInfo(&info);
    EXPECT_EQ(info.zeroWord, 0u);
    EXPECT_EQ(info.style, 37u);
    EXPECT_EQ(info.reserved1, 0xCDCDCDCDu);
    EXPECT_EQ(info.reserved2, 0xCDCDCDCDu);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(info.icon), 0xCDCDCDCDu);
    EXPECT_STREQ(info.caption, "Shut down");

    std::memset(&info, 0xCD, sizeof info);
    info.mask = BIM_ICON;
    plugin->GetButtonInfo(&info);
    EXPECT_EQ(info.icon, nullptr) << "without a site there is no view size";
    EXPECT_EQ(info.zeroWord, 0xCDCDCDCDu);
    EXPECT_EQ(static_cast<BYTE>(info.caption[0]), 0xCD);
}

TEST_F(PluginTest, ButtonIconFollowsTheViewSizeAndIsCachedPerSize) {
    plugin->SetSite(&site);
    ButtonInfo info = {};
    info.mask = BIM_ICON;
    site.UseLargeIcons(true);
    plugin->GetButtonInfo(&info);
    HICON large = info.icon;
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(IconSize(large).cx, 32);
    EXPECT_TRUE(IsReddish(IconPixels(large, 32)[16 * 32 + 6]));

    site.UseLargeIcons(false);
    info.mask = BIM_ICON_ALT;
    plugin->GetButtonInfo(&info);
    HICON small = info.icon;
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(IconSize(small).cx, 16);

    site.UseLargeIcons(true);
    plugin->GetButtonInfo(&info);
    EXPECT_EQ(info.icon, large);
    EXPECT_EQ(site.Count("GetViewInfo"), 3u);
}

TEST_F(PluginTest, NewIconLocationDropsTheCachesAndTellsTheHost) {
    plugin->SetSite(&site);
    site.UseLargeIcons(true);
    ButtonInfo info = {};
    info.mask = BIM_ICON;
    plugin->GetButtonInfo(&info);

    plugin->SetIconLocation((ModulePath() + ",0").c_str());
    EXPECT_EQ(site.Count("NotifyChanged"), 1u);
    ASSERT_EQ(site.Count("RefreshButton"), 1u);
    EXPECT_EQ(site.Calls("RefreshButton")[0].args[0], 2u);

    plugin->GetButtonInfo(&info);
    ASSERT_NE(info.icon, nullptr);
    EXPECT_FALSE(IsReddish(IconPixels(info.icon, 32)[16 * 32 + 6]))
        << "index 0 of the module is another icon than the button's";

    plugin->SetIconLocation((IconlessModule() + ",0").c_str());
    plugin->GetButtonInfo(&info);
    EXPECT_EQ(info.icon, nullptr);
}

TEST_F(PluginTest, IdentityProperties) {
    DWORD value = 77;
    EXPECT_EQ(plugin->GetProperty(1, 0, &value), S_OK);
    EXPECT_EQ(value, 1u);
    value = 77;
    EXPECT_EQ(plugin->GetProperty(5, 0, &value), S_OK);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(plugin->GetProperty(22, 0, &value), S_OK);
    EXPECT_EQ(value, 0u);

    DWORD data[4] = {1, 2, 3, 0xFFFFFFFF};
    plugin->SetHostData(data);
    DWORD echoed[5] = {9, 9, 9, 9, 9};
    EXPECT_EQ(plugin->GetProperty(2, 0, echoed), S_OK);
    EXPECT_EQ(std::memcmp(echoed, data, sizeof data), 0);
    EXPECT_EQ(echoed[4], 9u);

    for (DWORD id : {0u, 3u, 6u, 21u, 26u, 1000u}) {
        DWORD untouched = 0xA5A5A5A5;
        EXPECT_EQ(plugin->GetProperty(id, 0, &untouched), S_FALSE) << id;
        EXPECT_EQ(untouched, 0xA5A5A5A5u) << id;
    }
}

TEST_F(PluginTest, CaptionRecordCarriesTheWideCaptionHotKeyAndValue) {
    LoadBytes(SettingsRecord{4, 1, 1, "", "", 0x0a4b}.Bytes());
    plugin->SetCaption("Ausschalten \xe4");
    std::vector<BYTE> record(540, 0xEE);
    EXPECT_EQ(plugin->GetProperty(4, 0x12345678, record.data()), S_OK);
    EXPECT_EQ(WordAt(record, 0), 0xEEEEEEEEu) << "the header is the host's";
    std::wstring caption(reinterpret_cast<const WCHAR*>(&record[4]));
    WCHAR expected[64];
    MultiByteToWideChar(CP_ACP, 0, "Ausschalten \xe4", -1, expected, 64);
    EXPECT_EQ(caption, std::wstring(expected));
    EXPECT_EQ(record[524] | record[525] << 8, 0x0a4b);
    EXPECT_EQ(WordAt(record, 528), 0x12345678u);
    EXPECT_EQ(record[532], 0xEE);
}

TEST_F(PluginTest, CaptionCopyIsATaskAllocatedWideString) {
    IMalloc* allocator = nullptr;
    ASSERT_EQ(CoGetMalloc(1, &allocator), S_OK);

    WCHAR* copy = nullptr;
    EXPECT_EQ(plugin->GetProperty(24, 0, &copy), S_OK);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy[0], L'\0');
    EXPECT_EQ(allocator->GetSize(copy), 2u);
    CoTaskMemFree(copy);

    plugin->SetCaption("Quiescor");
    copy = nullptr;
    plugin->GetProperty(24, 0, &copy);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::wstring(copy), L"Quiescor");
    EXPECT_EQ(allocator->GetSize(copy), 18u);
    CoTaskMemFree(copy);
    allocator->Release();
}

TEST_F(PluginTest, BigIconIsThirtyTwoPixelsAndOwnedByTheObject) {
    HICON icon = nullptr;
    EXPECT_EQ(plugin->GetProperty(23, 0, &icon), S_OK);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(IconSize(icon).cx, 32);
    HICON again = nullptr;
    plugin->GetProperty(23, 0, &again);
    EXPECT_EQ(again, icon);

    // A location with nothing to extract falls back to the view-size icon.
    plugin->SetSite(&site);
    site.UseLargeIcons(false);
    plugin->SetIconLocation((IconlessModule() + ",0").c_str());
    plugin->GetProperty(23, 0, &icon);
    EXPECT_EQ(icon, nullptr);
    plugin->SetIconLocation((ModulePath() + ",1").c_str());
    plugin->GetProperty(23, 0, &icon);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(IconSize(icon).cx, 32);
}

TEST_F(PluginTest, ConfigureActsOnlyInModeOne) {
    plugin->SetSite(&site);
    EXPECT_EQ(plugin->Configure(0), S_OK);
    EXPECT_EQ(plugin->Configure(2), S_OK);
    EXPECT_TRUE(site.calls.empty());
}

// The table order is the host's contract: call the operations by slot.
TEST_F(PluginTest, OperationsSitInTheHostsTableOrder) {
    using Call0 = HRESULT(STDMETHODCALLTYPE*)(void*);
    using Call1 = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD);
    using Call2 = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, DWORD);
    using Call3 = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, DWORD, DWORD);
    using Call4 = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, DWORD, DWORD, DWORD);
    LoadBytes(SettingsRecord{4, 0, 2, "", "", 0}.Bytes()); // a press then does nothing
    void** table = *reinterpret_cast<void***>(plugin);
    auto slot = [&](int number) { return table[number - 1]; };

    EXPECT_EQ(reinterpret_cast<Call2>(slot(9))(plugin, 0, 0), S_FALSE);
    EXPECT_EQ(reinterpret_cast<Call3>(slot(10))(plugin, 0, 0, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<Call1>(slot(11))(plugin, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<Call3>(slot(12))(plugin, 0, 0, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<Call3>(slot(15))(plugin, 0, 0, 0), S_FALSE);
    EXPECT_EQ(reinterpret_cast<Call3>(slot(16))(plugin, 0, 0, 0), S_FALSE);
    EXPECT_EQ(reinterpret_cast<Call4>(slot(20))(plugin, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<Call1>(slot(21))(plugin, 0), S_FALSE);

    DWORD out = 0;
    EXPECT_EQ(reinterpret_cast<Call2>(slot(14))(plugin, 5, reinterpret_cast<DWORD>(&out)), S_OK);
    EXPECT_EQ(out, 1u);
    EXPECT_EQ(reinterpret_cast<Call0>(slot(17))(plugin), S_OK);

    reinterpret_cast<Call1>(slot(19))(plugin, reinterpret_cast<DWORD>("Slot nineteen"));
    char buffer[MAX_PATH] = {};
    reinterpret_cast<Call1>(slot(24))(plugin, reinterpret_cast<DWORD>("x.ico,5"));
    reinterpret_cast<Call1>(slot(23))(plugin, reinterpret_cast<DWORD>(buffer));
    EXPECT_STREQ(buffer, "x.ico,5");
    DWORD one = 0;
    EXPECT_EQ(reinterpret_cast<Call3>(slot(26))(plugin, 1, 0, reinterpret_cast<DWORD>(&one)), S_OK);
    EXPECT_EQ(one, 1u);
    ButtonInfo info = {};
    info.mask = BIM_CAPTION;
    reinterpret_cast<Call1>(slot(25))(plugin, reinterpret_cast<DWORD>(&info));
    EXPECT_STREQ(info.caption, "Slot nineteen");
}

// A host built with Microsoft's compiler deletes through operation 27: thiscall, the
// delete flag on the stack, the object returned.
TEST_F(PluginTest, OperationTwentySevenIsTheDeletingDestructorAndTheLast) {
    using DeletingDestructor = void*(__thiscall*)(void*, UINT);
    void** table = *reinterpret_cast<void***>(plugin);
    for (int slot = 0; slot < 27; ++slot)
        EXPECT_TRUE(IsCodeOf(library->Module(), table[slot])) << slot + 1;
    EXPECT_FALSE(IsCodeOf(library->Module(), table[27])) << "a 28th operation";
    auto destroy = reinterpret_cast<DeletingDestructor>(table[26]);

    CImportPatch freePatch;
    ASSERT_TRUE(freePatch.Install(library->Module(), "msvcrt.dll", "free",
                                  reinterpret_cast<void*>(RecordFree)));
    realFree = reinterpret_cast<void (*)(void*)>(freePatch.Original());
    freedByModule.clear();
    plugin->SetSite(&site);
    void* object = plugin;
    plugin = nullptr;
    EXPECT_EQ(destroy(object, 1), object);
    EXPECT_EQ(library->CanUnloadNow(), S_OK);
    EXPECT_EQ(freedByModule, std::vector<void*>{object});
    EXPECT_EQ(site.Count("SetHotKey"), 1u) << "destroyed as by the last Release";

    // Without the flag the memory stays the caller's.
    object = library->CreatePlugin();
    ASSERT_NE(object, nullptr);
    freedByModule.clear();
    EXPECT_EQ(destroy(object, 0), object);
    EXPECT_EQ(library->CanUnloadNow(), S_OK);
    EXPECT_TRUE(freedByModule.empty());
    realFree(object);
}

// The host's buffer holds 260 chars with the NUL: a module path too long for ",2" gives
// no location rather than a cut one, and nothing is written past the buffer.
TEST(IconLocation, LongModulePathsFitTheHostsBufferOrGiveNoLocation) {
    ScratchFolder scratch;
    const std::string folder = std::string(200 - scratch.Path().size() - 1, 'f');
    for (size_t length : {257u, 258u, 259u}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 200 - 1 - 4, 'q') + ".dll";
        const std::string path = scratch.CopyPlugin(folder + "\\" + name);
        ASSERT_EQ(path.size(), length);
        PluginLibrary copy(path);
        ASSERT_TRUE(copy.IsLoaded());
        char loadedAs[MAX_PATH * 2] = {};
        ASSERT_EQ(GetModuleFileNameA(copy.Module(), loadedAs, sizeof loadedAs), length);
        IHostPlugin* plugin = copy.CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'X', sizeof buffer);
        plugin->GetIconLocation(buffer);
        plugin->Release();
        EXPECT_EQ(std::string(buffer + MAX_PATH, 8), std::string(8, 'X'));
        buffer[MAX_PATH - 1] = '\0';
        EXPECT_EQ(buffer, length == 257 ? std::string(loadedAs) + ",2" : std::string());
    }
}

class ResourceModuleTest : public PluginTest {
protected:
    static bool HasHotKeyClass(HMODULE module) {
        WNDCLASSA found;
        return GetClassInfoA(module, "ZRKHOTKEY_CLASS", &found) != FALSE;
    }
};

TEST_F(ResourceModuleTest, OnlyVersionOneTwoZeroZeroIsTakenAsLanguageModule) {
    HMODULE accepted = LoadLibraryA("lang_1_2_0_0.dll");
    HMODULE refused = LoadLibraryA("lang_1_2_0_1.dll");
    ASSERT_NE(accepted, nullptr);
    ASSERT_NE(refused, nullptr);

    plugin->SetResourceModule(0, refused);
    EXPECT_FALSE(HasHotKeyClass(refused));
    EXPECT_TRUE(HasHotKeyClass(library->Module()));

    plugin->SetResourceModule(0, accepted);
    EXPECT_TRUE(HasHotKeyClass(accepted));

    UnregisterClassA("ZRKHOTKEY_CLASS", accepted);
    FreeLibrary(accepted);
    FreeLibrary(refused);
}

} // namespace
