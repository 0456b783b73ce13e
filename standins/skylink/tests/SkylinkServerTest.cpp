// The library against the WebDAV test server that the CTest fixture starts;
// the server's root folder is also checked directly through the file system.
#include "SkylinkServerFixture.h"
#include "testing/FullDisk.h"

#include <thread>

using namespace skylink_test;

namespace {

TEST_F(SkylinkTest, RefusesAWrongPasswordWithTheServersReason) {
    EXPECT_EQ(connect("wrong"), 0);
    EXPECT_NE(library_.lastError().find("HTTP 401"), std::string::npos) << library_.lastError();
    EXPECT_NE(library_.lastError().find("wrong user name or password"), std::string::npos);
}

TEST_F(SkylinkTest, ReportsAnUnreachableServerAndABadAddress) {
    EXPECT_EQ(library_.connect("http://127.0.0.1:1/", "u", "p"), 0);
    EXPECT_NE(library_.lastError().find("WinHTTP error"), std::string::npos)
        << library_.lastError();
    EXPECT_EQ(library_.connect("ftp://127.0.0.1/", "u", "p"), 0);
    EXPECT_NE(library_.lastError().find("http://"), std::string::npos) << library_.lastError();
    EXPECT_EQ(library_.connect(nullptr, "u", "p"), 0);
    EXPECT_EQ(library_.lastError(), "Missing argument");
    std::string secureUrl = settings_["url"];
    secureUrl.replace(0, 4, "https");
    EXPECT_EQ(library_.connect(secureUrl.c_str(), "u", "p"), 0);
    EXPECT_NE(library_.lastError().find("WinHTTP error"), std::string::npos)
        << library_.lastError();
    const std::string missingBase = settings_["url"] + "no such folder/";
    EXPECT_EQ(library_.connect(missingBase.c_str(), settings_["user"].c_str(),
                               settings_["password"].c_str()),
              0);
    EXPECT_NE(library_.lastError().find("HTTP 404 Not Found (no WebDAV folder"), std::string::npos)
        << library_.lastError();
}

TEST_F(SkylinkTest, WorksOnlyWhileConnected) {
    std::vector<Listed> entries;
    EXPECT_EQ(library_.getFileList("/", collectEntry, &entries), 0);
    EXPECT_EQ(library_.lastError(), "Not connected to the wireless server");
    ASSERT_TRUE(connect(settings_["password"].c_str())) << library_.lastError();
    EXPECT_EQ(library_.lastError(), "(none)");
    EXPECT_TRUE(library_.getFileList("/", collectEntry, &entries)) << library_.lastError();
    EXPECT_TRUE(library_.disconnect());
    EXPECT_EQ(library_.mkDir("/after-disconnect"), 0);
    EXPECT_EQ(library_.lastError(), "Not connected to the wireless server");
}

TEST_F(SkylinkTest, KeepsErrorTextsPerThreadAndCutsThemToTheBuffer) {
    EXPECT_EQ(library_.delFile("/x"), 0);
    std::string otherBefore;
    std::string otherAfter;
    std::thread other([&] {
        otherBefore = library_.lastError();
        library_.connect("ftp://nowhere/", "u", "p");
        otherAfter = library_.lastError();
    });
    other.join();
    EXPECT_EQ(otherBefore, "(none)");
    EXPECT_NE(otherAfter.find("http://"), std::string::npos);
    EXPECT_EQ(library_.lastError(), "Not connected to the wireless server");

    char small[8] = "xxxxxxx";
    EXPECT_NE(library_.getLastError(small, sizeof(small)), 0);
    EXPECT_STREQ(small, "Not con");
    EXPECT_EQ(library_.getLastError(nullptr, 260), 0);
}

TEST_F(SkylinkServerTest, ListsFoldersAndFilesWithSizesAndKinds) {
    ASSERT_TRUE(CreateDirectoryW(server("Sub Folder").c_str(), nullptr));
    ASSERT_TRUE(writeFile(server("Book one.XLS"), "abc"));
    ASSERT_TRUE(writeFile(server("\xC3\x9C"
                                 "bersicht.shf"),
                          "12345"));
    ASSERT_TRUE(writeFile(server("letter.doc"), ""));
    ASSERT_TRUE(writeFile(server("memo.pgd"), "m"));
    ASSERT_TRUE(writeFile(server("x.shf.txt"), "txt"));
    ASSERT_TRUE(writeFile(server("Sub Folder\\hidden deeper.xls"), "deep"));

    const std::vector<Listed> expected = {{"Book one.XLS", 3, 1},
                                          {"Sub Folder", 0xFFFFFFFF, 2},
                                          {"letter.doc", 0, 4},
                                          {"memo.pgd", 1, 5},
                                          {"x.shf.txt", 3, 3},
                                          {"\xC3\x9C"
                                           "bersicht.shf",
                                           5, 0}};
    EXPECT_EQ(list(remoteFolder_), expected);
    EXPECT_EQ(list(remoteFolder_ + "/"), expected);
    EXPECT_EQ(list(remote("Sub Folder")), (std::vector<Listed>{{"hidden deeper.xls", 4, 1}}));

    std::vector<Listed> entries;
    EXPECT_EQ(library_.getFileList(remote("missing").c_str(), collectEntry, &entries), 0);
    EXPECT_NE(library_.lastError().find("HTTP 404"), std::string::npos) << library_.lastError();
}

TEST_F(SkylinkServerTest, GetsAndSendsEmptyFiles) {
    ASSERT_TRUE(writeFile(server("empty.xls"), ""));
    ASSERT_TRUE(
        library_.getFile(remote("empty.xls").c_str(), pc(L"empty.xls").c_str(), recordProgress))
        << library_.lastError();
    EXPECT_EQ(readFile(pc(L"empty.xls")), "");

    ASSERT_TRUE(library_.sendFile(pc(L"empty.xls").c_str(), remote("sent empty.xls").c_str(),
                                  recordProgress))
        << library_.lastError();
    EXPECT_EQ(readFile(server("sent empty.xls")), "");
}

TEST_F(SkylinkServerTest, TransfersSeveralMegabytesWithProgress) {
    const std::string content = patternBytes(6 * 1024 * 1024 + 123);
    ASSERT_TRUE(writeFile(server("big.shf"), content));
    ASSERT_TRUE(library_.getFile(remote("big.shf").c_str(), pc(L"big.shf").c_str(), recordProgress))
        << library_.lastError();
    EXPECT_TRUE(readFile(pc(L"big.shf")) == content);
    expectRisingProgressEndingAt(content.size());
    EXPECT_EQ(namesIn(pcFolder_), std::vector<std::wstring>{L"big.shf"});

    progressSeen.clear();
    const std::string name = "copy \xC3\xBC #1.shf";
    ASSERT_TRUE(library_.sendFile(pc(L"big.shf").c_str(), remote(name).c_str(), recordProgress))
        << library_.lastError();
    EXPECT_TRUE(readFile(server(name)) == content);
    expectRisingProgressEndingAt(content.size());
}

TEST_F(SkylinkServerTest, StoppedOrFailedDownloadsLeaveNoPartialFile) {
    ASSERT_TRUE(writeFile(server("big.xls"), patternBytes(3 * 1024 * 1024)));
    stopAtBytes = 1;
    EXPECT_EQ(library_.getFile(remote("big.xls").c_str(), pc(L"big.xls").c_str(), recordProgress),
              0);
    EXPECT_EQ(library_.lastError(), "The transfer was cancelled");
    EXPECT_EQ(progressSeen.size(), 1u);
    EXPECT_TRUE(namesIn(pcFolder_).empty());

    ASSERT_TRUE(writeFile(pc(L"kept.xls"), "the good copy"));
    EXPECT_EQ(library_.getFile(remote("big.xls").c_str(), pc(L"kept.xls").c_str(), recordProgress),
              0);
    EXPECT_EQ(library_.getFile(remote("missing.xls").c_str(), pc(L"kept.xls").c_str(), nullptr), 0);
    EXPECT_NE(library_.lastError().find("HTTP 404"), std::string::npos) << library_.lastError();
    EXPECT_EQ(readFile(pc(L"kept.xls")), "the good copy");
    EXPECT_EQ(namesIn(pcFolder_), std::vector<std::wstring>{L"kept.xls"});
}

TEST_F(SkylinkServerTest, DownloadsOntoAFullDiskKeepTheOldFileAndLeaveNoPart) {
    QUIRE_NEED_FULL_DISK(disk);
    ASSERT_TRUE(writeFile(server("big.xls"), patternBytes(disk.freeBytes + 1024 * 1024)));
    const std::wstring kept = disk.folder + L"\\kept.xls";
    ASSERT_TRUE(writeFile(kept, "the good copy"));
    const std::wstring fresh = disk.folder + L"\\new.xls";

    EXPECT_EQ(library_.getFile(remote("big.xls").c_str(), kept.c_str(), recordProgress), 0);
    EXPECT_NE(library_.lastError().find("(error 112)"), std::string::npos) << library_.lastError();
    EXPECT_EQ(library_.getFile(remote("big.xls").c_str(), fresh.c_str(), nullptr), 0);
    EXPECT_EQ(readFile(kept), "the good copy");
    EXPECT_EQ(quire::testing::NamesOnFullDisk(disk.folder), std::vector<std::wstring>{L"kept.xls"});
    DeleteFileW(kept.c_str());
}

TEST_F(SkylinkServerTest, StoppedUploadsStoreNothing) {
    ASSERT_TRUE(writeFile(pc(L"big.doc"), patternBytes(3 * 1024 * 1024)));
    ASSERT_TRUE(writeFile(server("old.doc"), "old"));
    stopAtBytes = 1;
    EXPECT_EQ(library_.sendFile(pc(L"big.doc").c_str(), remote("new.doc").c_str(), recordProgress),
              0);
    EXPECT_EQ(library_.lastError(), "The transfer was cancelled");
    EXPECT_EQ(library_.sendFile(pc(L"big.doc").c_str(), remote("old.doc").c_str(), recordProgress),
              0);
    EXPECT_EQ(library_.sendFile(pc(L"missing.doc").c_str(), remote("x.doc").c_str(), nullptr), 0);
    EXPECT_NE(library_.lastError().find("error 2)"), std::string::npos) << library_.lastError();
    Sleep(200); // let the server notice the dropped connections
    EXPECT_FALSE(exists(server("new.doc")));
    EXPECT_EQ(readFile(server("old.doc")), "old");
}

TEST_F(SkylinkServerTest, DeletesFilesAndFolders) {
    ASSERT_TRUE(writeFile(server("a b.xls"), "a"));
    ASSERT_TRUE(CreateDirectoryW(server("Folder").c_str(), nullptr));
    ASSERT_TRUE(writeFile(server("Folder\\inside.doc"), "i"));
    EXPECT_TRUE(library_.delFile(remote("a b.xls").c_str())) << library_.lastError();
    EXPECT_TRUE(library_.delFile(remote("Folder").c_str())) << library_.lastError();
    EXPECT_TRUE(namesIn(serverFolder_).empty());
    EXPECT_EQ(library_.delFile(remote("a b.xls").c_str()), 0);
    EXPECT_NE(library_.lastError().find("HTTP 404"), std::string::npos) << library_.lastError();
}

TEST_F(SkylinkServerTest, RenamesButNeverOverwrites) {
    ASSERT_TRUE(writeFile(server("a.xls"), "a"));
    ASSERT_TRUE(writeFile(server("c.xls"), "c"));
    ASSERT_TRUE(CreateDirectoryW(server("Old").c_str(), nullptr));
    EXPECT_TRUE(library_.rename(remote("a.xls").c_str(), remote("b \xC3\xA9.xls").c_str()))
        << library_.lastError();
    EXPECT_EQ(readFile(server("b \xC3\xA9.xls")), "a");
    EXPECT_EQ(library_.rename(remote("b \xC3\xA9.xls").c_str(), remote("c.xls").c_str()), 0);
    EXPECT_NE(library_.lastError().find("HTTP 412"), std::string::npos) << library_.lastError();
    EXPECT_NE(library_.lastError().find("already exists"), std::string::npos);
    EXPECT_EQ(readFile(server("b \xC3\xA9.xls")), "a");
    EXPECT_EQ(readFile(server("c.xls")), "c");
    EXPECT_TRUE(library_.rename(remote("Old").c_str(), remote("New").c_str()))
        << library_.lastError();
    EXPECT_EQ(namesIn(serverFolder_),
              (std::vector<std::wstring>{L"New", L"b \u00E9.xls", L"c.xls"}));
}

TEST_F(SkylinkServerTest, MakesFoldersOnce) {
    EXPECT_TRUE(library_.mkDir(remote("New folder").c_str())) << library_.lastError();
    EXPECT_EQ(GetFileAttributesW(server("New folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(library_.mkDir(remote("New folder").c_str()), 0);
    EXPECT_NE(library_.lastError().find("HTTP 405"), std::string::npos) << library_.lastError();
    EXPECT_EQ(library_.mkDir(remote("missing/child").c_str()), 0);
    EXPECT_NE(library_.lastError().find("HTTP 409"), std::string::npos) << library_.lastError();
}

TEST_F(SkylinkServerTest, RefusesPathsOutsideOrAtTheTop) {
    ASSERT_TRUE(writeFile(server("keep.xls"), "k"));
    EXPECT_EQ(library_.delFile("/"), 0);
    EXPECT_EQ(library_.lastError(), "Invalid remote path");
    EXPECT_EQ(library_.delFile((remoteFolder_ + "/../" + remoteFolder_.substr(1)).c_str()), 0);
    EXPECT_EQ(library_.lastError(), "Invalid remote path");
    EXPECT_TRUE(exists(server("keep.xls")));
}

TEST_F(SkylinkServerTest, ServesTwoThreadsAtOnce) {
    const std::string content = patternBytes(4 * 1024 * 1024);
    ASSERT_TRUE(writeFile(server("big.pgd"), content));
    bool folderMade = false;
    std::thread window([&] { folderMade = library_.mkDir(remote("made meanwhile").c_str()) != 0; });
    const int fetched =
        library_.getFile(remote("big.pgd").c_str(), pc(L"big.pgd").c_str(), recordProgress);
    window.join();
    EXPECT_TRUE(fetched) << library_.lastError();
    EXPECT_TRUE(folderMade);
    EXPECT_TRUE(readFile(pc(L"big.pgd")) == content);
}

} // namespace
