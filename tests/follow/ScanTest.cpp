#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

constexpr std::time_t kHour = 3600;

// Names begin with "HH" and end with ".txt" (letter case counting), written within twenty
// whole hours or in the future, to any depth, entered at their size; other entries are kept,
// the current folder is not changed, a '/' after the folder gives the same keys.
TEST(HistoryScan, EntersRecentHHTxtFilesToAnyDepthAtTheirSize)
{
    TempDir dir;
    const std::time_t now = std::time(nullptr);
    const struct
    {
        const char* name;
        std::time_t age;
        bool taken;
    } files[] = {{"HH20240101 Una.txt", 0, true},
                 {"HH.txt", 0, true},
                 {"2024/01/Una/HH deep.txt", 0, true},
                 {"HH known.txt", 0, true},
                 {"hh20240101 lower.txt", 0, false},
                 {"HH20240101 upper.TXT", 0, false},
                 {"HH20240101 kept.txt.bak", 0, false},
                 {"xHH20240101.txt", 0, false},
                 {"H.txt", 0, false},
                 {"HH no extension", 0, false},
                 {"HH recent.txt", 20 * kHour + 59 * 60 + 59, true},
                 {"HH future.txt", -3 * kHour, true},
                 {"HH old.txt", 21 * kHour, false},
                 {"HH ancient.txt", now + 5 * 365 * 24 * kHour, false}};
    FileOffsetMap expected{{L"/elsewhere/HH x.txt", 9}};
    std::size_t size = 1;
    for (const auto& file : files) {
        WriteFile(dir / file.name, std::string(++size, 'x'));
        SetWritten(dir / file.name, now - file.age);
        if (file.taken)
            expected[Key(dir / file.name)] = static_cast<std::int64_t>(size);
    }
    fs::create_directory(dir / "HH folder.txt");
    const fs::path before = fs::current_path();
    for (const std::wstring& folder : {Key(dir.path()), Key(dir.path()) + L"/"}) {
        FileOffsetMap offsets{{Key(dir / "HH known.txt"), 3}, {L"/elsewhere/HH x.txt", 9}};
        ScanHistoryFolder(folder, offsets, now);
        EXPECT_EQ(offsets, expected);
    }
    EXPECT_EQ(fs::current_path(), before);
}

// Links below the folder are never followed, but the folder itself may be one; a missing or
// empty folder, or a file, finds nothing.
TEST(HistoryScan, NeverFollowsLinksBelowTheFolderButTheFolderItselfMayBeOne)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a" / "HH inside.txt", "x");
    fs::create_directory_symlink(dir.path(), dir / "a" / "loop");
    fs::create_directory_symlink("..", dir / "a" / "up");
    WriteFile(outside / "HH outside.txt", "x");
    fs::create_directory_symlink(outside.path(), dir / "elsewhere");
    fs::create_symlink(outside / "HH outside.txt", dir / "HH link.txt");
    const fs::path link = outside / "history";
    fs::create_directory_symlink(dir.path(), link);
    const auto scan = [](const std::wstring& folder) {
        FileOffsetMap offsets;
        ScanHistoryFolder(folder, offsets, std::time(nullptr));
        return offsets;
    };
    EXPECT_EQ(scan(Key(dir.path())), (FileOffsetMap{{Key(dir / "a" / "HH inside.txt"), 1}}));
    EXPECT_EQ(scan(Key(link)), (FileOffsetMap{{Key(link / "a" / "HH inside.txt"), 1}}));
    for (const std::wstring& nothing :
         {Key(dir / "missing"), std::wstring(), Key(outside / "HH outside.txt")})
        EXPECT_TRUE(scan(nothing).empty());
}

} // namespace
