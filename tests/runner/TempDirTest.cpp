// The tests' scratch folder: when the temporary path cannot hold a folder the
// test fails at once instead of trying names for ever, and nothing is removed.

#include "TempDir.h"

#include <gtest/gtest-spi.h>

namespace {

// Points the temporary path somewhere else while it lives.
class TemporaryPath {
public:
    explicit TemporaryPath(const wchar_t* path)
    {
        m_had = ::GetEnvironmentVariableW(L"TMP", m_old, MAX_PATH) > 0;
        ::SetEnvironmentVariableW(L"TMP", path);
    }
    ~TemporaryPath() { ::SetEnvironmentVariableW(L"TMP", m_had ? m_old : nullptr); }

private:
    wchar_t m_old[MAX_PATH] = {};
    bool m_had = false;
};

TEST(TempDir, MakesAFreshFolderAndRemovesItWithItsFiles)
{
    CString path;
    {
        TempDir dir;
        path = dir.Path();
        ASSERT_TRUE(TempDir::Exists(path));
        dir.Write(L"a.txt", "abc");
        EXPECT_EQ("abc", TempDir::Read(dir.Path(L"a.txt")));
    }
    EXPECT_FALSE(TempDir::Exists(path));
}

TEST(TempDir, FailsTheTestWhenNoFolderCanBeMade)
{
    TemporaryPath missing(L"C:\\kestrova-missing-folder\\deeper\\");
    // Static: the checked statement runs in a function of its own.
    static CString path;
    EXPECT_NONFATAL_FAILURE(
        {
            TempDir dir;
            path = dir.Path();
        },
        "no temporary folder could be made");
    EXPECT_FALSE(TempDir::Exists(path));
    EXPECT_FALSE(path.IsEmpty()) << "the path must not name the current folder";
}

} // namespace
