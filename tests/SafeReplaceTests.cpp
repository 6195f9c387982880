// Saving the translation file when the world fails: full disks, failing flushes and replaces, a
// crash at any step, read-only and held files, device names, and the leftovers of interrupted saves.
#include "ProjectModel.h"

#include "FileOps.h"
#include "SafeReplace.h"
#include "TestSupport.h"
#include "TranslationWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

// The real file operations, failing where a test says: after the disk took some bytes, at one
// operation with a given error, or at every operation after the first k, as if the program died.
class FaultyFileOps : public Win32FileOps {
public:
    enum class Op {
        CreateNew,
        Write,
        Flush,
        Size,
        Link,
        Copy,
        CheckReplaceable,
        Replace,
        Delete,
        Attributes
    };

    std::optional<ULONGLONG> diskFullAt;
    bool shortWriteSucceeds = false; // a full disk that reports success, as the XML service's save did
    std::map<Op, DWORD> failing;
    std::optional<int> stopAfter;
    int operations = 0;

    FileHandle CreateNew(const std::wstring& path, DWORD& error) override {
        error = Fault(Op::CreateNew);
        return error ? FileHandle(INVALID_HANDLE_VALUE) : Win32FileOps::CreateNew(path, error);
    }
    DWORD Write(HANDLE file, const void* bytes, size_t size) override {
        if (const DWORD error = Fault(Op::Write)) {
            return error;
        }
        const size_t taken =
            diskFullAt ? static_cast<size_t>(std::min<ULONGLONG>(size, *diskFullAt - m_written)) : size;
        m_written += taken;
        const DWORD error = Win32FileOps::Write(file, bytes, taken);
        return error || taken == size || shortWriteSucceeds ? error : ERROR_DISK_FULL;
    }
    DWORD Flush(HANDLE file) override {
        return Do(Op::Flush, [&] { return Win32FileOps::Flush(file); });
    }
    DWORD Size(HANDLE file, ULONGLONG& size) override {
        return Do(Op::Size, [&] { return Win32FileOps::Size(file, size); });
    }
    DWORD Link(const std::wstring& existing, const std::wstring& newName) override {
        return Do(Op::Link, [&] { return Win32FileOps::Link(existing, newName); });
    }
    DWORD Copy(const std::wstring& existing, const std::wstring& newName) override {
        return Do(Op::Copy, [&] { return Win32FileOps::Copy(existing, newName); });
    }
    DWORD CheckReplaceable(const std::wstring& path) override {
        return Do(Op::CheckReplaceable, [&] { return Win32FileOps::CheckReplaceable(path); });
    }
    DWORD Replace(const std::wstring& from, const std::wstring& to) override {
        return Do(Op::Replace, [&] { return Win32FileOps::Replace(from, to); });
    }
    DWORD Delete(const std::wstring& path) override {
        return Do(Op::Delete, [&] { return Win32FileOps::Delete(path); });
    }
    DWORD Attributes(const std::wstring& path, DWORD& attributes) override {
        return Do(Op::Attributes, [&] { return Win32FileOps::Attributes(path, attributes); });
    }

private:
    ULONGLONG m_written = 0;

    DWORD Fault(Op op) {
        ++operations;
        if (stopAfter && operations > *stopAfter) {
            return ERROR_OPERATION_ABORTED;
        }
        const auto fails = failing.find(op);
        return fails == failing.end() ? ERROR_SUCCESS : fails->second;
    }
    DWORD Do(Op op, const std::function<DWORD()>& operation) {
        const DWORD error = Fault(op);
        return error ? error : operation();
    }
};

using Op = FaultyFileOps::Op;

// A project whose earlier translation file holds an entry of no string, so every save also keeps a
// backup, and whose model holds an edit not saved yet.
class SavingSafely : public testing::Test {
protected:
    TempDir folder;
    ProjectModel model;
    std::wstring translationFile = folder.File(L"strings.xml");
    const std::string earlier =
        "<strings><string id=\"a\" loc=\"old\"/><string id=\"gone\" loc=\"x\"/></strings>";

    void SetUp() override {
        WriteUtf8File(folder.File(L"tevproject.xml"), R"(<tevproject name="P" dst="strings.xml"><strings>
            <s id="a" text="A"/><s id="b" attr="label" text="B"/></strings></tevproject>)");
        WriteUtf8File(translationFile, earlier);
        ASSERT_EQ(LoadStatus::Loaded,
                  model.Load(folder.File(L"tevproject.xml"), translationFile, 1049).status);
        // Longer than one piece of the writer, so that a disk may fill up between two writes.
        model.SetLoc(0, L"new \"text\"\r\n with a long tail " + std::wstring(40000, L'x'));
    }
    std::string NewBytes() const {
        std::string bytes;
        WriteTranslationFile(model.Strings(), [&](const void* piece, size_t size) {
            bytes.append(static_cast<const char*>(piece), size);
            return true;
        });
        return bytes;
    }
    // Without printing the long new file when it is there instead.
    bool HoldsEarlierFile() const { return ReadBytes(translationFile) == earlier; }
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        for (FileSearch search(folder.File(L"*")); search.Found(); search.Next()) {
            if (!(search.Entry().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(search.Entry().cFileName);
            }
        }
        return names;
    }
};

} // namespace

TEST_F(SavingSafely, AFailureAnywhereLeavesTheEarlierFileAndSaysWhy) {
    const size_t size = NewBytes().size();
    struct Row {
        const char* fault;
        std::function<void(FaultyFileOps&)> arrange;
        SaveCause cause;
    };
    const Row rows[] = {
        {"no byte free", [](FaultyFileOps& f) { f.diskFullAt = 0; }, SaveCause::DiskFull},
        {"full after one byte", [](FaultyFileOps& f) { f.diskFullAt = 1; }, SaveCause::DiskFull},
        {"full one byte short", [&](FaultyFileOps& f) { f.diskFullAt = size - 1; }, SaveCause::DiskFull},
        {"short write reported as success",
         [](FaultyFileOps& f) {
             f.diskFullAt = 4096;
             f.shortWriteSucceeds = true;
         },
         SaveCause::Incomplete},
        {"flush",
         [](FaultyFileOps& f) {
             f.failing = {{Op::Flush, ERROR_DISK_FULL}};
         },
         SaveCause::DiskFull},
        {"folder gone",
         [](FaultyFileOps& f) {
             f.failing = {{Op::CreateNew, ERROR_PATH_NOT_FOUND}};
         },
         SaveCause::PathNotFound},
        {"backup",
         [](FaultyFileOps& f) {
             f.failing = {{Op::Link, ERROR_NOT_SUPPORTED}, {Op::Copy, ERROR_DISK_FULL}};
         },
         SaveCause::DiskFull},
        {"replace denied",
         [](FaultyFileOps& f) {
             f.failing = {{Op::Replace, ERROR_ACCESS_DENIED}};
         },
         SaveCause::AccessDenied},
        {"replace locked",
         [](FaultyFileOps& f) {
             f.failing = {{Op::Replace, ERROR_SHARING_VIOLATION}};
         },
         SaveCause::InUse},
        {"replace, other",
         [](FaultyFileOps& f) {
             f.failing = {{Op::Replace, ERROR_NOT_READY}};
         },
         SaveCause::Other},
    };
    const std::vector<std::wstring> filesBefore = Files();
    for (const Row& row : rows) {
        FaultyFileOps files;
        row.arrange(files);
        EXPECT_FALSE(model.SaveStrings(files)) << row.fault;
        EXPECT_EQ(row.cause, model.LastSaveResult().cause) << row.fault;
        EXPECT_NE(std::wstring::npos, model.LastSaveResult().Message().find(translationFile)) << row.fault;
        EXPECT_TRUE(HoldsEarlierFile()) << row.fault;
        EXPECT_EQ(filesBefore, Files()) << row.fault; // no temporary, no backup left
        EXPECT_TRUE(model.IsModified());
    }
}

TEST_F(SavingSafely, WithoutHardLinksTheEarlierFileIsKeptByACopy) {
    FaultyFileOps withoutLinks;
    withoutLinks.failing = {{Op::Link, ERROR_NOT_SUPPORTED}};
    ASSERT_TRUE(model.SaveStrings(withoutLinks));
    EXPECT_EQ(NewBytes(), ReadBytes(translationFile));
    EXPECT_EQ(earlier, ReadBytes(model.LastSave().backupPath));
}

TEST_F(SavingSafely, StoppedAfterAnyStepTheFileIsTheEarlierOrTheNewOne) {
    const std::string saved = NewBytes();
    bool completed = false;
    for (int step = 0; !completed; ++step) {
        ASSERT_LT(step, 40);
        FaultyFileOps dying;
        dying.stopAfter = step;
        completed = model.SaveStrings(dying);
        const std::string found = ReadBytes(translationFile);
        EXPECT_TRUE(found == (completed ? saved : earlier) || (!completed && found == saved))
            << "stopped after step " << step;
        EXPECT_EQ(std::nullopt, FindInterruptedSave(translationFile)) << step;

        // The next save clears what the stopped one left.
        ASSERT_TRUE(model.SaveStrings()) << step;
        for (const std::wstring& name : Files()) {
            EXPECT_EQ(std::wstring::npos, name.find(L".tmp")) << Narrow(name) << " after step " << step;
            if (name != L"tevproject.xml") {
                DeleteFileW(folder.File(name.c_str()).c_str());
            }
        }
        WriteUtf8File(translationFile, earlier);
    }
}

TEST_F(SavingSafely, TheSystemsRefusalsAreToldApart) {
    auto expectRefused = [&](SaveCause cause, const char* what) {
        EXPECT_FALSE(model.SaveStrings()) << what;
        EXPECT_EQ(cause, model.LastSaveResult().cause) << what;
        EXPECT_TRUE(HoldsEarlierFile()) << what;
    };
    ASSERT_TRUE(SetFileAttributesW(translationFile.c_str(), FILE_ATTRIBUTE_READONLY));
    expectRefused(SaveCause::ReadOnly, "read-only");
    EXPECT_TRUE(GetFileAttributesW(translationFile.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(translationFile.c_str(), FILE_ATTRIBUTE_NORMAL);

    for (const DWORD sharing :
         {DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)}) {
        // A holder that shares deleting does not keep Windows from replacing the file; Wine refuses
        // the replace all the same, and says only that access is denied.
        const FileHandle reader(CreateFileW(translationFile.c_str(), GENERIC_READ, sharing, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        expectRefused(SaveCause::InUse, "held open");
    }

    ASSERT_EQ(
        LoadStatus::Loaded,
        model.Load(folder.File(L"tevproject.xml"), folder.File(L"tevproject.xml\\sub\\strings.xml"), 1049)
            .status);
    model.SetLoc(0, L"new");
    EXPECT_FALSE(model.SaveStrings());
    EXPECT_EQ(SaveCause::PathNotFound, model.LastSaveResult().cause);
}

TEST_F(SavingSafely, ADeviceNameEndsTheSearchForAFreeNameAndTheSave) {
    EXPECT_EQ(std::nullopt, FreeName(SystemFileOps(), folder.File(L"nul.xml.saving"), L".tmp"));
    ASSERT_EQ(LoadStatus::Loaded,
              model.Load(folder.File(L"tevproject.xml"), folder.File(L"nul.xml"), 1049).status);
    model.SetLoc(0, L"new");
    EXPECT_LT(SecondsToRun([&] { EXPECT_FALSE(model.SaveStrings()); }), 10.0);
}

TEST_F(SavingSafely, AMissingFileIsFoundInTheNewestWholeCopyAnInterruptedSaveLeft) {
    EXPECT_EQ(std::nullopt, FindInterruptedSave(translationFile));
    ASSERT_TRUE(MoveFileW(translationFile.c_str(), (translationFile + L".bak").c_str()));
    EXPECT_EQ(std::optional<std::wstring>(translationFile + L".bak"), FindInterruptedSave(translationFile));
    const std::wstring complete = translationFile + L".saving.tmp";
    WriteUtf8File(complete, "<strings><string id=\"a\" loc=\"newer\"/></strings>");
    WriteUtf8File(translationFile + L".saving.2.tmp", "<strings><string id=\"a\" loc=\"cut");
    WriteUtf8File(folder.File(L"strings.xmlx.bak"), "<strings/>");
    // Oldest to newest: the backup, the whole temporary, the cut one and another file's backup.
    const wchar_t* order[] = {L"strings.xml.bak", L"strings.xml.saving.tmp", L"strings.xml.saving.2.tmp",
                              L"strings.xmlx.bak"};
    for (int i = 0; i < 4; ++i) {
        const FileHandle file(CreateFileW(folder.File(order[i]).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const FILETIME time = {static_cast<DWORD>(i) * 100000000u, 30000000};
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
    }
    ASSERT_EQ(std::optional<std::wstring>(complete), FindInterruptedSave(translationFile));

    ASSERT_TRUE(RestoreInterruptedSave(SystemFileOps(), complete, translationFile).Saved());
    EXPECT_EQ("<strings><string id=\"a\" loc=\"newer\"/></strings>", ReadBytes(translationFile));
    EXPECT_FALSE(FileExists(complete));
    EXPECT_EQ(earlier, ReadBytes(translationFile + L".bak"));
    EXPECT_EQ(std::nullopt, FindInterruptedSave(translationFile));
}
