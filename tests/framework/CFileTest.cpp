#include <gtest/gtest.h>

#include "CFile.h"
#include "CFileFind.h"
#include "TempDir.h"

TEST(CFile, CreatesWritesAndReadsBack)
{
    TempDir dir;
    CString path = dir.Path(L"data.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        file.Write("abcdef", 6);
    }
    CFile file(path, CFile::modeRead | CFile::shareDenyNone);
    EXPECT_EQ(6u, file.GetLength());
    char buffer[8] = {};
    EXPECT_EQ(6u, file.Read(buffer, sizeof(buffer)));
    EXPECT_STREQ("abcdef", buffer);
}

TEST(CFile, FailedOpenReportsTheCause)
{
    TempDir dir;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(dir.Path(L"missing\\x.bin"), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::badPath, error.m_cause);
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.m_hFile);

    bool thrown = false;
    try {
        CFile opened(dir.Path(L"none.bin"), CFile::modeRead);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::fileNotFound;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CFile, WriteOnReadOnlyHandleThrows)
{
    TempDir dir;
    CString path = dir.Write(L"r.bin", "x");
    CFile file(path, CFile::modeRead);
    bool thrown = false;
    try {
        file.Write("y", 1);
    } catch (CFileException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CFile, StatusClearsReadOnlyAndKeepsTheRest)
{
    TempDir dir;
    CString path = dir.Write(L"ro.txt", "content");
    ASSERT_TRUE(::SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(7u, status.m_size);
    EXPECT_TRUE(status.m_attribute & CFile::readOnly);
    EXPECT_NE(0, status.m_mtime.GetTime());

    status.m_attribute &= ~CFile::readOnly;
    CFile::SetStatus(path, status);
    DWORD attributes = ::GetFileAttributesW(path);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);

    EXPECT_FALSE(CFile::GetStatus(dir.Path(L"absent"), status));
}

TEST(CFileFind, LastMatchIsReportedWithFalseAndStaysValid)
{
    TempDir dir;
    dir.Write(L"only.bin", "1");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(dir.Path(L"*.bin")));
    EXPECT_FALSE(finder.FindNextFile()); // the first match is also the last
    EXPECT_EQ(CString(L"only.bin"), finder.GetFileName());
    EXPECT_EQ(dir.Path(L"only.bin").CompareNoCase(finder.GetFilePath()), 0);
    EXPECT_FALSE(finder.IsDirectory());

    dir.Write(L"second.bin", "22");
    ASSERT_TRUE(finder.FindFile(dir.Path(L"*.bin")));
    EXPECT_TRUE(finder.FindNextFile());
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_FALSE(finder.FindNextFile()); // nothing further to load

    EXPECT_FALSE(finder.FindFile(dir.Path(L"*.none")));
    EXPECT_FALSE(finder.FindFile(L""));
}

TEST(CFileFind, DotsAndFolders)
{
    TempDir dir;
    ::CreateDirectoryW(dir.Path(L"sub"), nullptr);
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(dir.Path(L"*")));
    bool sawDots = false;
    bool sawFolder = false;
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        sawDots |= finder.IsDots() != FALSE;
        sawFolder |= finder.IsDirectory() && !finder.IsDots();
    }
    EXPECT_TRUE(sawDots);
    EXPECT_TRUE(sawFolder);
}
