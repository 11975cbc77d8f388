// The stand-in host keeps the plug-in's settings in a profile file between runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <fstream>

#include "host/plugin_ids.h"
#include "tests/support/plugin_session.h"

using support::fileText;


using namespace host::lunetka;

TEST(SettingsProfile, ChangesSurviveARestart)
{
    std::string profile = support::temporaryPath("lunetka-profile-test.txt");
    {
        auto first = support::loadPlugin();
        first->setProfileFile(profile);
        first->start();
        EXPECT_EQ("1", first->settings()[FIELD].value) << "the declared default";
        first->changeControl(VALUE, "\xA3\xF3\x64\x9F");  // "Łódź" in Windows-1250
        first->changeControl(CONDITION, "3");
        first->stop();
    }
    EXPECT_NE(std::string::npos, fileText(profile).find("Lunetka/KryteriumWyszukiwania1=Łódź\n"))
        << "kept as UTF-8 text";

    auto second = support::loadPlugin();
    second->setProfileFile(profile);
    second->start();
    EXPECT_EQ("\xA3\xF3\x64\x9F", second->settings()[VALUE].value);
    EXPECT_EQ("3", second->settings()[CONDITION].value);
    EXPECT_EQ("1", second->settings()[FIELD].value);
    second->page().open();  // the page's refresh reads the stored values back
    auto requests = second->find(host::Op::Send, host::MSG_ACTION_GET_VALUE);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ("3", requests[0]->text) << "condition first";
    EXPECT_EQ("\xA3\xF3\x64\x9F", requests[1]->text);
    DeleteFileA(profile.c_str());
}

TEST(SettingsProfile, DamagedLinesAreSkippedTheRestKeptAndTheOldFileBackedUp)
{
    std::string profile = support::temporaryPath("lunetka-damaged-profile.txt");
    DeleteFileA((profile + ".bak").c_str());
    const std::string original =
        "Lunetka/KryteriumWyszukiwania1=stare\nto nie jest ustawienie\n\xC3\x28=x\nLunetka/WarunekWyszukiwania1=4\n";
    {
        std::ofstream file(profile.c_str(), std::ios::binary);
        file << original;
    }
    auto host = support::loadPlugin();
    host->setProfileFile(profile);
    host->start();
    EXPECT_EQ("stare", host->settings()[VALUE].value) << "the good lines are kept";
    EXPECT_EQ("4", host->settings()[CONDITION].value);
    host->changeControl(FIELD, "7");
    host->stop();
    std::string rewritten = fileText(profile);
    EXPECT_NE(std::string::npos, rewritten.find("Lunetka/KryteriumWyszukiwania1=stare\n"));
    EXPECT_NE(std::string::npos, rewritten.find("Lunetka/PoleWyszukiwania1=7\n"));
    EXPECT_EQ(std::string::npos, rewritten.find("to nie jest"));
    EXPECT_EQ(original, fileText(profile + ".bak")) << "the file as it was, before the first rewrite";
    DeleteFileA(profile.c_str());
    DeleteFileA((profile + ".bak").c_str());
}

TEST(SettingsProfile, AProfileThatCannotBeWrittenIsAnErrorAtOnce)
{
    std::string folder = support::temporaryPath("lunetka-profile-folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    auto host = support::loadPlugin();
    EXPECT_THROW(host->setProfileFile(folder), std::exception) << "a folder";
    EXPECT_THROW(host->setProfileFile(folder + "\\missing\\settings.txt"), std::exception) << "no such folder";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + ".new").c_str())) << "nothing left behind";
    RemoveDirectoryA(folder.c_str());
}
