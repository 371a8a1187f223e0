// Hostile list files next to the plug-in: huge, binary, odd encodings,
// folders in their place, locked and vanishing files. The plug-in's view of
// them shows through the rotation that message 12 runs at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/win/hostile_support.h"

namespace {

std::string Utf16Be(const std::wstring& text) {
    std::string out("\xFE\xFF", 2);
    for (const wchar_t c : text) {
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

std::string RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 engine(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(engine() & 0xFF);
    }
    return bytes;
}

// Bytes in the system's ANSI code page, as the plug-in reads a file without
// a mark that is not UTF-8.
std::wstring AnsiText(const std::string& bytes) {
    std::wstring out(bytes.size() * 2, L'\0');
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0],
                                        static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    return out;
}

// The xStatus texts that a run may send: the current one, or an entry.
bool SentOneOf(const TSentMessage& sent, const std::set<std::wstring>& allowed) {
    return allowed.count(sent.XStatus) != 0;
}

TEST(HostileFiles, FiftyMegabyteListLoadsInBoundedTimeAndStillRotates) {
    THostileTally tally;
    THostilePlugin plugin(L"hostile-huge");
    // Unmarked UTF-8 with Cyrillic letters: the decoder's slowest road.
    const std::string line = Utf8(L"\x0448\x0443\x0442\x043A\x0430 \x043D\x043E\x043C\x0435\x0440 ");
    std::string bytes;
    bytes.reserve(50u << 20);
    for (uint32_t n = 0; bytes.size() < (50u << 20); ++n) {
        bytes += line + std::to_string(n) + "/nl" + Utf8(L"\x0432\x0442\x043E\x0440\x0430\x044F") + "\r\n";
    }
    plugin.Folder.Write(L"list.txt", bytes);
    const size_t fileBytes = bytes.size();
    std::string().swap(bytes);

    const TResources before = MeasureResources();
    const ULONGLONG start = ::GetTickCount64();
    plugin.Start();
    const ULONGLONG loadMs = ::GetTickCount64() - start;
    const TResources loaded = MeasureResources();
    const SIZE_T held = loaded.CommittedBytes - before.CommittedBytes;
    std::printf("50 MB list: load %llu ms, %llu MB held\n", loadMs, static_cast<unsigned long long>(held >> 20));
    // Only a guard against a hang: how long a load may take depends on the
    // machine, so the time is printed, not judged.
    EXPECT_LT(loadMs, 120000u) << "the host's thread is held while the list loads";
    // Two bytes per letter in the file, two per code unit in the list.
    EXPECT_LT(held, 3 * fileBytes);
    tally.Case();

    for (int i = 0; i < 20; ++i) {
        const TSentMessage sent = ExpectPair(plugin.Run(5));
        EXPECT_EQ(sent.Status, L"Title");
        EXPECT_TRUE(sent.XStatus == L"Text/nl" ||
                    (sent.XStatus.rfind(L"\x0448\x0443\x0442\x043A\x0430 ", 0) == 0 &&
                     sent.XStatus.find(L"\r\n\x0432\x0442\x043E\x0440\x0430\x044F") != std::wstring::npos))
            << "run " << i;
    }

    // Reloading replaces the list; it must not keep the old one beside it.
    plugin.Start();
    const TResources reloaded = MeasureResources();
    EXPECT_LT(reloaded.CommittedBytes, loaded.CommittedBytes + (16u << 20));
    tally.Case();

    // Back to a small list: the run after it sees only the new entries.
    plugin.Folder.Write(L"list.txt", "small one\r\nsmall two\r\n");
    plugin.Start();
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(SentOneOf(ExpectPair(plugin.Run(5)), {L"Text/nl", L"small one", L"small two"}));
    }
    tally.Case();
    tally.CheckStore(plugin.Host, TStoreValues());
}

TEST(HostileFiles, RandomBinaryBytesInBothListsInEveryMode) {
    THostileTally tally;
    for (int32_t mode = 0; mode <= 2; ++mode) {
        TStoreValues store;
        store.WorkMode = mode;
        store.Selection = L";;;;5;;;;0;;;;12;;";
        THostilePlugin plugin(L"hostile-binary", store);
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            plugin.Folder.Write(L"list.txt", RandomBytes(64 * 1024, seed));
            plugin.Folder.Write(L"statuses.txt", RandomBytes(64 * 1024, seed + 100));
            plugin.Start();
            for (int i = 0; i < 5; ++i) {
                const TSentMessage sent = ExpectPair(plugin.Run(5));
                if (mode == 0) {
                    EXPECT_EQ(sent.Status, L"Title");
                    EXPECT_EQ(sent.Icon, 5);
                }
            }
            tally.Case();
        }
        tally.CheckStore(plugin.Host, store);
    }
}

TEST(HostileFiles, OddEncodingsAndLineEnds) {
    THostileTally tally;
    THostilePlugin plugin(L"hostile-encodings");
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::set<std::wstring> Entries;
    };
    const std::vector<TCase> cases = {
        {"only CR", std::string(1000, '\r'), {L""}},
        {"UTF-16 of odd length", Utf16Le(L"odd/nlone\r\nodd/nlone") + "\x41", {L"odd\r\none"}},
        {"unpaired surrogates LE", Utf16Le(std::wstring(L"a\xD800\r\n\xDC00" L"b\r\n\xDC00\xD800")),
         {std::wstring(L"a\xD800"), std::wstring(L"\xDC00" L"b"), std::wstring(L"\xDC00\xD800")}},
        {"unpaired surrogates BE", Utf16Be(std::wstring(L"\xD83D\r\n\xDE00")), {std::wstring(L"\xD83D"), std::wstring(L"\xDE00")}},
        {"UTF-16 mark alone", "\xFF\xFE", {}},
        {"UTF-16 mark and one byte", "\xFE\xFF\x41", {}},
        {"NUL at the start", std::string("\0joke\r\njoke\r\n", 13), {}},
        {"encoded surrogate without a mark", "\xED\xA0\x80\r\n\xED\xA0\x80", {AnsiText("\xED\xA0\x80")}},
        {"broken UTF-8 after its mark", "\xEF\xBB\xBF\xF0\x9F\x98\r\n\xC3", {L"\xFFFD", L"\xFFFD"}},
        {"line ends only", "\n\r\n\r\r\n\n", {L""}},
    };
    for (const TCase& c : cases) {
        plugin.Folder.Write(L"list.txt", c.Bytes);
        plugin.Start();
        std::set<std::wstring> allowed = c.Entries;
        allowed.insert(L"Text/nl");
        bool drawn = c.Entries.empty();
        for (int i = 0; i < 30; ++i) {
            const TSentMessage sent = ExpectPair(plugin.Run(5));
            EXPECT_TRUE(SentOneOf(sent, allowed)) << c.Name << ": sent " << sent.XStatus.size() << " units";
            drawn = drawn || sent.XStatus != L"Text/nl";
        }
        EXPECT_TRUE(drawn) << c.Name << ": no entry was ever drawn";
        tally.Case();
    }
    tally.CheckStore(plugin.Host, TStoreValues());
}

TEST(HostileFiles, FoldersNamedLikeTheListsCountAsMissing) {
    THostileTally tally;
    TStoreValues store;
    store.WorkMode = 2;  // icon mode expands the current text even with no entry
    THostilePlugin plugin(L"hostile-folders", store);
    ASSERT_TRUE(::CreateDirectoryW(plugin.Folder.File(L"list.txt").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(plugin.Folder.File(L"statuses.txt").c_str(), nullptr));
    plugin.Start();
    for (const int32_t icon : {5, 0}) {
        const std::vector<TSentMessage> sent = plugin.Run(icon);
        if (icon == 5) {
            const TSentMessage last = ExpectPair(sent);
            EXPECT_EQ(last.Icon, 5);
            EXPECT_EQ(last.Status, L"Title");
            EXPECT_EQ(last.XStatus, L"Text\r\n");
        } else {
            EXPECT_TRUE(sent.empty());
        }
    }
    ::RemoveDirectoryW(plugin.Folder.File(L"list.txt").c_str());
    ::RemoveDirectoryW(plugin.Folder.File(L"statuses.txt").c_str());
    tally.Case(2);
    tally.CheckStore(plugin.Host, store);
}

TEST(HostileFiles, ListHeldOpenExclusivelyLeavesItEmptyUntilReleased) {
    THostileTally tally;
    TStoreValues store;
    store.WorkMode = 2;
    THostilePlugin plugin(L"hostile-locked", store);
    plugin.Folder.Write(L"statuses.txt", "5|Locked|out\r\n5|Locked|out\r\n");
    const std::wstring path = plugin.Folder.File(L"statuses.txt");
    {
        TTestHandle lock(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        // The lock is held until the runs below are done, so a plug-in that
        // waited for the file to come free would never return; the limit
        // only guards against that hang.
        const ULONGLONG start = ::GetTickCount64();
        plugin.Start();
        const ULONGLONG lockedMs = ::GetTickCount64() - start;
        std::printf("start with the list locked: %llu ms\n", lockedMs);
        EXPECT_LT(lockedMs, 60000u) << "waited for a locked file";
        for (int i = 0; i < 10; ++i) {
            const TSentMessage sent = ExpectPair(plugin.Run(5));
            EXPECT_EQ(sent.Status, L"Title");
            EXPECT_EQ(sent.XStatus, L"Text\r\n");
        }
    }
    tally.Case();
    plugin.Start();
    bool drawn = false;
    for (int i = 0; i < 30; ++i) {
        const TSentMessage sent = ExpectPair(plugin.Run(5));
        EXPECT_TRUE(sent.Status == L"Title" || sent.Status == L"Locked");
        drawn = drawn || sent.Status == L"Locked";
    }
    EXPECT_TRUE(drawn) << "the released file is read again at the next start";
    tally.Case();
    tally.CheckStore(plugin.Host, store);
}

TEST(HostileFiles, ListDeletedBetweenTwoStartsEmptiesIt) {
    THostileTally tally;
    THostilePlugin plugin(L"hostile-deleted");
    plugin.Folder.Write(L"list.txt", "gone soon\r\ngone soon\r\n");
    plugin.Start();
    bool drawn = false;
    for (int i = 0; i < 30; ++i) {
        drawn = drawn || ExpectPair(plugin.Run(5)).XStatus == L"gone soon";
    }
    EXPECT_TRUE(drawn);
    plugin.Folder.Remove(L"list.txt");
    plugin.Start();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(ExpectPair(plugin.Run(5)).XStatus, L"Text/nl");
    }
    tally.Case();
    tally.CheckStore(plugin.Host, TStoreValues());
}

}  // namespace
