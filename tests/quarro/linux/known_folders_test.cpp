// The Documents folder from the XDG user folders (made when missing), and where the
// resources are found beside an executable.
#include <quarro/desktop/known_folders.h>
#include <quarro/err/exception.h>

#include "resources_folder.h"
#include "support/environment_variable.h"
#include "support/error_text.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

namespace {

using test_support::temporary_folder;
using test_support::write_text;

// Points HOME and XDG_CONFIG_HOME at a fresh account for one test.
class SpecialFolders : public testing::Test
{
protected:
    void SetUp() override { std::filesystem::create_directories(account / "home/.config"); }

    temporary_folder account;
    test_support::environment_variable home{"HOME", account / "home"};
    test_support::environment_variable config{"XDG_CONFIG_HOME", account / "home/.config"};
};

TEST_F(SpecialFolders, DocumentsFromUserDirs)
{
    const std::string home = account / "home";
    const std::string elsewhere = account / "elsewhere";
    // user_dirs (nothing: no file), expected
    const std::tuple<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, home + "/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Dokumente"},
        {"XDG_DOCUMENTS_DIR=\"" + elsewhere + "\"", elsewhere},
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_DOCUMENTS_DIR=\"$HOME/first\"\n  XDG_DOCUMENTS_DIR = \"$HOME/second\"\n",
         home + "/second"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", home + "/My \"Docs\""},
        {"XDG_DOCUMENTS_DIR=\"Docs\"\n", home + "/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", home + "/Documents"},
        {"#XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", home + "/Documents"},
    };
    for (const auto& [user_dirs, expected] : cases) {
        std::filesystem::remove(account / "home/.config/user-dirs.dirs");
        if (user_dirs)
            write_text(account / "home/.config/user-dirs.dirs", *user_dirs);
        const files::filepath documents = quarro::get_user_documents_path();
        EXPECT_EQ(documents.get_path(), expected) << user_dirs.value_or("no file");
        EXPECT_TRUE(documents.is_directory()) << user_dirs.value_or("no file");
    }
}

// Without HOME, the password database's home (never written: user-dirs names a folder of the
// test's own); a home where nothing can be made fails.
TEST_F(SpecialFolders, HomeFromThePasswordDatabaseWhenUnsetOrFailure)
{
    std::filesystem::create_directories(account / "config");
    write_text(account / "config/user-dirs.dirs",
               "XDG_DOCUMENTS_DIR=\"" + (account / "docs") + "\"\n");
    home.set(std::nullopt);
    config.set(account / "config");
    EXPECT_EQ(quarro::get_user_documents_path().get_path(), account / "docs");
    home.set("/dev/null");
    config.set(account / "home/.config");
    EXPECT_EQ(test_support::error_text<err::runtime_error>(quarro::get_user_documents_path),
              "get_user_documents_path() cannot get the documents path!");
}

TEST(ResourcesFolder, InstalledBeforeBuildTree)
{
    temporary_folder root;
    for (const char* folder : {"usr/bin", "usr/share/pellaro", "build/resources",
                               "both/bin/resources", "both/share/pellaro", "bare"})
        std::filesystem::create_directories(root / folder);
    const std::tuple<std::string, std::string> cases[] = {
        {root / "usr/bin/Pellaro", root / "usr/share/pellaro"},
        {root / "build/Pellaro", root / "build/resources"},
        {root / "both/bin/Pellaro", root / "both/share/pellaro"},
        {root / "bare/Pellaro", ""},
        {"", ""}};
    for (const auto& [executable, expected] : cases)
        EXPECT_EQ(files::detail::resources_folder_for(executable), expected) << executable;
}

} // namespace
