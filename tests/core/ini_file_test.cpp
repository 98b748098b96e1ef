#include "core/Errors.h"
#include "core/IniFile.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velbrin;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-ini-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            dir = pattern + "/";
        file = dir + "test.ini";
    }
    ~IniFileTest() override
    {
        std::error_code error;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(dir, error);
    }

    void Write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string Read() const
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // Runs the check with permission checks in force: as root, in a child
    // process that has dropped to the "nobody" user. False when it failed.
    static bool Unprivileged(const std::function<bool()>& check)
    {
        if (::geteuid() != 0)
            return check();
        pid_t pid = ::fork();
        if (pid == 0) {
            bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::string dir;
    std::string file;
};

} // namespace

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase)
{
    Write("[Options]\nMaxSockets=4\n[Caf\xC9]\nCl\xC9=1\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("OPTIONS", "maxsockets", 0), 4);
    EXPECT_EQ(ini.ReadString("caf\xE9", "cl\xE9", ""), "1");
    ini.WriteInteger("options", "MAXSOCKETS", 6);
    // The line keeps the spelling of the file.
    EXPECT_EQ(ini.Text(), "[Options]\r\nMaxSockets=6\r\n[Caf\xC9]\r\nCl\xC9=1\r\n");
}

TEST_F(IniFileTest, MissingKeysAndSectionsGiveTheDefault)
{
    Write("[Web]\nUrl=http://a/\nEmpty=\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("Web", "Path", "/def/"), "/def/");
    EXPECT_EQ(ini.ReadString("Nowhere", "Url", "d"), "d");
    EXPECT_EQ(ini.ReadString("Web", "Empty", "d"), ""); // present, though empty
    EXPECT_EQ(ini.ReadInteger("Web", "Empty", 42), 42);
    EXPECT_TRUE(ini.ReadBool("Web", "Flag", true));
    EXPECT_FALSE(TIniFile(dir + "absent.ini").SectionExists("Web"));
}

TEST_F(IniFileTest, WritingAKeyKeepsEverythingElse)
{
    std::string original = "; settings\r\n[A]\r\nx=1\r\n  odd line  \r\ny = two \r\n\r\n[B]\r\nz=3\r\n";
    Write(original);
    TIniFile ini(file);
    ini.WriteString("A", "y", "2");
    ini.WriteString("A", "new", "n");
    ini.WriteString("C", "c", "c");
    ini.UpdateFile();
    EXPECT_EQ(Read(),
              "; settings\r\n[A]\r\nx=1\r\n  odd line  \r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n[C]\r\nc=c\r\n");
}

TEST_F(IniFileTest, UnchangedFileIsNotRewritten)
{
    Write("[A]\nx=1\n");
    TIniFile ini(file);
    ini.WriteString("A", "X", "1");
    EXPECT_FALSE(ini.Modified());
    ini.UpdateFile();
    EXPECT_EQ(Read(), "[A]\nx=1\n");
}

TEST_F(IniFileTest, IntegersAreDecimalOrHexadecimal)
{
    Write("[N]\na=12\nb=0x1F\nc=0XfF\nd=-7\ne=+8\nf=12abc\ng=0x\nh=-9223372036854775808\n"
          "i=9223372036854775808\nj= 5 \nk=0x-1\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("N", "a", 0), 12);
    EXPECT_EQ(ini.ReadInteger("N", "b", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "c", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "d", 0), -7);
    EXPECT_EQ(ini.ReadInteger("N", "e", 0), 8);
    EXPECT_EQ(ini.ReadInteger("N", "f", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "g", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "h", 0), INT64_MIN);
    EXPECT_EQ(ini.ReadInteger("N", "i", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "j", 0), 5);
    EXPECT_EQ(ini.ReadInteger("N", "k", -1), -1);
    ini.WriteInteger("N", "a", -40000);
    EXPECT_EQ(ini.ReadString("N", "a", ""), "-40000");
}

TEST_F(IniFileTest, BooleansAreOneAndZero)
{
    Write("[B]\nt=1\nf=0\nseven=7\nword=true\n");
    TIniFile ini(file);
    EXPECT_TRUE(ini.ReadBool("B", "t", false));
    EXPECT_FALSE(ini.ReadBool("B", "f", true));
    EXPECT_TRUE(ini.ReadBool("B", "seven", false));
    EXPECT_FALSE(ini.ReadBool("B", "word", false)); // not a number: the default
    ini.WriteBool("B", "t", false);
    ini.WriteBool("B", "f", true);
    EXPECT_EQ(ini.ReadString("B", "t", ""), "0");
    EXPECT_EQ(ini.ReadString("B", "f", ""), "1");
}

TEST_F(IniFileTest, ValuesReadBackExactlyAsWritten)
{
    const std::vector<std::string> values = { " leading", "trailing ", "\"quoted\"", "'single'", "\"", "a \"b\" c",
                                              "x=y;z", "caf\xE9", "" };
    {
        TIniFile ini(file);
        for (std::size_t i = 0; i < values.size(); ++i)
            ini.WriteString("V", std::to_string(i), values[i]);
        ini.UpdateFile();
    }
    TIniFile ini(file);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("V", std::to_string(i), "?"), values[i]) << i;
}

TEST_F(IniFileTest, LineBreaksInAValueCannotAddEntries)
{
    TIniFile ini(file);
    ini.WriteString("S", "user", "me\r\n[Evil]\nkey=1");
    EXPECT_FALSE(ini.SectionExists("Evil"));
    EXPECT_EQ(ini.ReadString("S", "user", ""), "me  [Evil] key=1");
}

TEST_F(IniFileTest, OddFilesReadWithoutHarm)
{
    std::string longValue(200000, 'v');
    Write("garbage before any section\n=no key\n[unclosed\nk=in unclosed\n[A]\nno equals sign\n"
          "k=first\n[a]\nk=second\nother=only in the second\n[Long]\nv=" + longValue +
          std::string("\n\0binary\n", 9) + "[Last]\nx=1");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "first");
    // Only the first of two sections of the same name counts.
    EXPECT_EQ(ini.ReadString("A", "other", "none"), "none");
    EXPECT_EQ(ini.ReadString("Long", "v", ""), longValue);
    EXPECT_EQ(ini.ReadString("Last", "x", ""), "1"); // no final newline
    EXPECT_FALSE(ini.SectionExists("unclosed"));
    ini.WriteString("A", "k", "changed");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "changed");
    EXPECT_EQ(ini.ReadSection("A"), (TStringList{ "k" }));
}

TEST_F(IniFileTest, ByteOrderMarkDoesNotHideTheFirstSection)
{
    Write("\xEF\xBB\xBF[Options]\r\nMaxSockets=3\r\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("Options", "MaxSockets", 0), 3);
    ini.WriteInteger("Options", "MaxSockets", 4);
    EXPECT_EQ(ini.ReadSection("Options").size(), 1u);
}

TEST_F(IniFileTest, CarriageReturnsAloneEndLinesToo)
{
    Write("[A]\rx=1\r\n[B]\ny=2");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("B", "y", ""), "2");
}

TEST_F(IniFileTest, WriteLeavesNoTemporaryFileAndTakesTheGivenMode)
{
    TIniFile ini(file, 0600);
    ini.WriteString("S", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(Entries(), std::vector<std::string>{ "test.ini" });
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(Read(), "[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, FailedWriteKeepsThePreviousFile)
{
    Write("[S]\nk=old\n");
    ::chmod(file.c_str(), 0644);
    ::chmod(dir.c_str(), 0555);
    bool ok = Unprivileged([&] {
        TIniFile ini(file);
        ini.WriteString("S", "k", "new");
        try {
            ini.UpdateFile();
            return false;
        } catch (const EInOutError&) {
        }
        return ini.Modified(); // still to be written
    });
    ::chmod(dir.c_str(), 0755);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read(), "[S]\nk=old\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{ "test.ini" });
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced)
{
    Write("[S]\nk=precious\n");
    ::chmod(file.c_str(), 0200);
    ::chmod(dir.c_str(), 0777);
    bool ok = Unprivileged([&] {
        TIniFile ini(file);
        if (ini.ReadString("S", "k", "default") != "default")
            return false;
        ini.WriteString("S", "k", "other");
        try {
            ini.UpdateFile();
            return false;
        } catch (const EInOutError&) {
            return true;
        }
    });
    ::chmod(dir.c_str(), 0755);
    ::chmod(file.c_str(), 0644);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Read(), "[S]\nk=precious\n");
}

TEST_F(IniFileTest, DeleteKeyAndEraseSection)
{
    Write("[A]\nx=1\ny=2\n[B]\nz=3\n[C]\nw=4\n");
    TIniFile ini(file);
    ini.DeleteKey("a", "X");
    ini.EraseSection("b");
    ini.DeleteKey("Nowhere", "x");
    EXPECT_EQ(ini.Text(), "[A]\r\ny=2\r\n[C]\r\nw=4\r\n");
}
