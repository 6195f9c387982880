// A save that runs out of space on a real small file system. scripts/small-disk-save.sh mounts one
// and names its folder in TEV_SMALL_DISK; without it the test is skipped.
#include "ProjectModel.h"

#include "KernelHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Fills the disk up to its last byte, as another program could while the translator is open.
void FillDisk(const std::wstring& path) {
    const FileHandle filler(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(filler.Valid());
    const std::string block(4096, 'f');
    for (DWORD chunk = 4096; chunk > 0; chunk /= 2) {
        DWORD written = 0;
        while (WriteFile(filler.Get(), block.data(), chunk, &written, nullptr) && written == chunk) {
        }
    }
}

} // namespace

TEST(SavingOnASmallDisk, RunningOutOfSpaceLeavesTheEarlierFileByteIdentical) {
    const wchar_t* disk = _wgetenv(L"TEV_SMALL_DISK");
    if (!disk || !*disk) {
        GTEST_SKIP() << "no small file system mounted: scripts/small-disk-save.sh mounts one";
    }
    TempDir project;
    std::string strings;
    for (int i = 0; i < 500; ++i) {
        strings += "<s id=\"s" + std::to_string(i) + "\" text=\"Text " + std::to_string(i) + "\"/>";
    }
    WriteUtf8File(project.File(L"tevproject.xml"), "<tevproject name=\"P\" dst=\"strings.xml\"><strings>" +
                                                       strings + "</strings></tevproject>");
    const std::wstring translation = std::wstring(disk) + L"\\strings.xml";
    const std::wstring filler = std::wstring(disk) + L"\\filler";
    ProjectModel model;
    ASSERT_EQ(LoadStatus::Loaded, model.Load(project.File(L"tevproject.xml"), translation, 1049).status);
    for (size_t i = 0; i < model.Strings().size(); ++i) {
        model.SetLoc(i, L"short");
    }
    ASSERT_TRUE(model.SaveStrings());
    const std::string earlier = ReadBytes(translation);
    // About a megabyte: more than the disk holds.
    for (size_t i = 0; i < model.Strings().size(); ++i) {
        model.SetLoc(i, std::wstring(1000, static_cast<wchar_t>(L'a' + i % 26)));
    }

    // First the disk takes part of the new file, then not a byte of it.
    for (const bool full : {false, true}) {
        if (full) {
            FillDisk(filler);
        }
        EXPECT_FALSE(model.SaveStrings()) << "disk full from the start: " << full;
        EXPECT_EQ(SaveCause::DiskFull, model.LastSaveResult().cause) << full;
        EXPECT_EQ(earlier, ReadBytes(translation)) << full;
        EXPECT_FALSE(FileExists(translation + L".saving.tmp")) << full;
    }
    DeleteFileW(filler.c_str());
    DeleteFileW(translation.c_str());
}
