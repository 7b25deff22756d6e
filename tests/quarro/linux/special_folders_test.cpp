// The Documents folder from the XDG user folders (made when missing), and where the
// resources are found beside an executable.
#include <quarro/desktop/special_folders.h>
#include <quarro/err/exception.h>
#include <quarro/files/folder_operations.h>

#include "resources_folder.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using test_support::temporary_folder;
using test_support::write_text;

// Points HOME and XDG_CONFIG_HOME at a fresh account for one test and puts them back after.
class SpecialFolders : public testing::Test
{
protected:
    void SetUp() override
    {
        save("HOME", home_before);
        save("XDG_CONFIG_HOME", config_before);
        std::filesystem::create_directories(account / "home/.config");
        setenv("HOME", (account / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (account / "home/.config").c_str(), 1);
    }
    void TearDown() override
    {
        restore("HOME", home_before);
        restore("XDG_CONFIG_HOME", config_before);
    }

    static void save(const char* name, std::optional<std::string>& value)
    {
        const char* text = std::getenv(name);
        value = text != nullptr ? std::optional<std::string>(text) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    temporary_folder account;
    std::optional<std::string> home_before;
    std::optional<std::string> config_before;
};

TEST_F(SpecialFolders, DocumentsFromUserDirs)
{
    const std::string home = account / "home";
    const std::string elsewhere = account / "elsewhere";
    const struct
    {
        const char* label;
        std::optional<std::string> user_dirs; // nothing: no file
        std::string expected;
    } cases[] = {
        {"no_file", std::nullopt, home + "/Documents"},
        {"home_relative", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Dokumente"},
        {"absolute", "XDG_DOCUMENTS_DIR=\"" + elsewhere + "\"", elsewhere},
        {"home_itself", "XDG_DOCUMENTS_DIR=\"$HOME\"\n", home},
        {"last_wins",
         "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_DOCUMENTS_DIR=\"$HOME/first\"\n  XDG_DOCUMENTS_DIR = \"$HOME/second\"\n",
         home + "/second"},
        {"quoted", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", home + "/My \"Docs\""},
        {"relative_ignored", "XDG_DOCUMENTS_DIR=\"Docs\"\n", home + "/Documents"},
        {"unclosed_ignored", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", home + "/Documents"},
        {"commented_out", "#XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", home + "/Documents"},
        {"other_key", "XDG_DOCUMENTS_DIRECTORY=\"$HOME/Docs\"\n", home + "/Documents"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(account / "home/.config/user-dirs.dirs");
        if (c.user_dirs)
            write_text(account / "home/.config/user-dirs.dirs", *c.user_dirs);
        const files::filepath documents = quarro::get_user_documents_path();
        EXPECT_EQ(documents.get_path(), c.expected) << c.label;
        EXPECT_TRUE(documents.is_directory()) << c.label;
    }
}

TEST_F(SpecialFolders, ConfigHomeDefaultsToDotConfig)
{
    write_text(account / "home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    write_text(account / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/wrong\"\n");
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(quarro::get_user_documents_path().get_path(), account / "home/Docs");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(quarro::get_user_documents_path().get_path(), account / "home/Docs");
}

TEST_F(SpecialFolders, HomeFromThePasswordDatabaseWhenUnset)
{
    // The account's real home is never written: user-dirs names a folder of the test's own.
    std::filesystem::create_directories(account / "config");
    write_text(account / "config/user-dirs.dirs",
               "XDG_DOCUMENTS_DIR=\"" + (account / "docs") + "\"\n");
    unsetenv("HOME");
    setenv("XDG_CONFIG_HOME", (account / "config").c_str(), 1);
    EXPECT_EQ(quarro::get_user_documents_path().get_path(), account / "docs");
}

TEST_F(SpecialFolders, DataFoldersComeUpInAFreshAccount)
{
    ASSERT_FALSE(std::filesystem::exists(account / "home/Documents"));
    const files::filepath data =
        files::make_path(quarro::get_user_documents_path(), "Velk Audio/Pellaro");
    EXPECT_EQ(data.get_path(), account / "home/Documents/Velk Audio/Pellaro");
    for (const char* name : {"presets", "logs", "firmware"})
        EXPECT_TRUE(files::get_or_create_folder(data, name).is_directory()) << name;
}

TEST_F(SpecialFolders, DocumentsThatCannotBeMadeFail)
{
    setenv("HOME", "/dev/null", 1);
    setenv("XDG_CONFIG_HOME", (account / "home/.config").c_str(), 1);
    try {
        quarro::get_user_documents_path();
        ADD_FAILURE() << "no exception";
    } catch (const err::runtime_error& error) {
        EXPECT_STREQ(error.what(), "get_user_documents_path() cannot get the documents path!");
    }
}

TEST(ResourcesFolder, InstalledBeforeBuildTree)
{
    temporary_folder root;
    std::filesystem::create_directories(root / "usr/bin");
    std::filesystem::create_directories(root / "usr/share/pellaro");
    std::filesystem::create_directories(root / "build/resources");
    std::filesystem::create_directories(root / "both/bin/resources");
    std::filesystem::create_directories(root / "both/share/pellaro");
    std::filesystem::create_directories(root / "bare");
    const struct
    {
        std::string executable;
        std::string expected;
    } cases[] = {{root / "usr/bin/Pellaro", root / "usr/share/pellaro"},
                 {root / "build/Pellaro", root / "build/resources"},
                 {root / "both/bin/Pellaro", root / "both/share/pellaro"},
                 {root / "bare/Pellaro", ""},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(files::detail::resources_folder_for(c.executable), c.expected) << c.executable;
}

TEST(ResourcesFolder, RunningProgramLooksBesideItself)
{
    const std::string executable = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(files::get_resources_path().get_path(),
              files::detail::resources_folder_for(executable));
}

} // namespace
