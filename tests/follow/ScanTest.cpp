#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

constexpr std::time_t kHour = 3600;

class HistoryScan : public ::testing::Test
{
protected:
    // A file of the given size, last written age seconds before now.
    fs::path Put(const std::string& name, std::time_t age = 0, size_t size = 10)
    {
        const fs::path file = dir / name;
        WriteFile(file, std::string(size, 'x'));
        SetWritten(file, now - age);
        return file;
    }

    FileOffsetMap Scan(const std::wstring& folder, FileOffsetMap offsets = {})
    {
        ScanHistoryFolder(folder, offsets, now);
        return offsets;
    }

    TempDir dir;
    const std::time_t now = std::time(nullptr);
};

TEST_F(HistoryScan, EntersRecentHHTxtFilesToAnyDepthAtTheirSizeAndKeepsOtherEntries)
{
    struct File
    {
        std::string name;
        std::time_t age;
        bool taken;
    };
    const File files[] = {
        {"HH20240101 Una.txt", 0, true},
        {"HH.txt", 0, true},
        {"2024/01/Una/HH deep.txt", 0, true},
        {"HH known.txt", 0, true},
        // Names begin with "HH" and end with ".txt", letter case counting.
        {"hh20240101 lower.txt", 0, false},
        {"HH20240101 upper.TXT", 0, false},
        {"HH20240101 kept.txt.bak", 0, false},
        {"xHH20240101.txt", 0, false},
        {"H.txt", 0, false},
        {"HH20240101 no extension", 0, false},
        {"2024/01/Una/hh deep.txt", 0, false},
        // Written within twenty whole hours, or in the future.
        {"HH recent.txt", 20 * kHour + 59 * 60 + 59, true},
        {"HH future.txt", -3 * kHour, true},
        {"HH old.txt", 21 * kHour, false},
        {"HH ancient.txt", now + 5 * 365 * 24 * kHour, false}, // before 1970
    };
    FileOffsetMap expected{{L"/elsewhere/HH x.txt", 9}};
    std::size_t size = 1;
    for (const File& file : files) {
        const fs::path path = Put(file.name, file.age, ++size);
        if (file.taken)
            expected[Key(path)] = static_cast<std::int64_t>(size);
    }
    fs::create_directory(dir / "HH folder.txt");
    const fs::path before = fs::current_path();
    const FileOffsetMap offsets =
        Scan(Key(dir.path()), {{Key(dir / "HH known.txt"), 3}, {L"/elsewhere/HH x.txt", 9}});
    EXPECT_EQ(offsets, expected);
    EXPECT_EQ(offsets.count(Key(dir.path()) + L"/2024/01/Una/HH deep.txt"), 1u);
    EXPECT_EQ(fs::current_path(), before);
    // A folder given with its separator gives the same keys, not a doubled separator.
    EXPECT_EQ(Scan(Key(dir.path()) + L"/", {{L"/elsewhere/HH x.txt", 9}}), expected);
}

// A missing or empty folder, or a file, finds nothing.
TEST_F(HistoryScan, NeverFollowsLinksBelowTheFolderButTheFolderItselfMayBeOne)
{
    const fs::path inside = Put("a/HH inside.txt");
    fs::create_directory_symlink(dir.path(), dir / "a" / "loop");
    fs::create_directory_symlink("..", dir / "a" / "up");
    TempDir outside;
    WriteFile(outside / "HH outside.txt", "x");
    fs::create_directory_symlink(outside.path(), dir / "elsewhere");
    fs::create_symlink(outside / "HH outside.txt", dir / "HH link.txt");
    EXPECT_EQ(Scan(Key(dir.path())), (FileOffsetMap{{Key(inside), 10}}));

    const fs::path link = outside / "history";
    fs::create_directory_symlink(dir.path(), link);
    EXPECT_EQ(Scan(Key(link)), (FileOffsetMap{{Key(link / "a" / "HH inside.txt"), 10}}));
    EXPECT_TRUE(Scan(Key(dir / "missing")).empty());
    EXPECT_TRUE(Scan(L"").empty());
    EXPECT_TRUE(Scan(Key(Put("HH plain.txt"))).empty());
}

} // namespace
