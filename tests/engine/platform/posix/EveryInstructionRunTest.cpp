#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The lines of the install log's table and the uninstall script of a run, with the machine's paths,
// user and date put back as the placeholders of the expected files.
std::string Normalised(std::string text, const std::string& sandbox, const std::string& user) {
    text = std::regex_replace(text, std::regex("^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]{2} [0-9:]{8} [0-9]{4}"),
                              "@DATE@");
    text = ReplaceAll(text, sandbox, "@SANDBOX@");
    // The rows' padding depends on the length of the paths, so it goes too.
    text = std::regex_replace(text, std::regex(" +\\|\n"), "|\n");
    return std::regex_replace(text, std::regex("\\b" + user + "\\b"), "@USER@");
}

std::string Query(const std::string& store, const std::string& sql) {
    FILE* pipe = popen(("sqlite3 '" + store + "' \"" + sql + "\" 2>&1").c_str(), "r");
    if (!pipe) return "cannot run sqlite3";
    std::string result;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        result += buffer;
    pclose(pipe);
    return result;
}

} // namespace

// One unattended run of a script that uses every file, registry and program keyword, compared whole
// with the expected install log and uninstall script.
TEST(EveryInstructionRun, LeavesExactlyTheExpectedLogFilesAndSettings) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::fs::copy(KIS_TEST_INPUTS "/every-keyword", medium, KisTest::fs::copy_options::recursive);
    KisTest::fs::copy_file(KIS_COMPONENT_OK, medium + "/Payload/component.so");
    // ExecuteFile opens through xdg-open: a stand-in records what it was asked to open.
    KisTest::WriteFile(sandbox / "bin/xdg-open",
                       "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (sandbox / "opened.txt") + "'\n");
    KisTest::fs::permissions(sandbox / "bin/xdg-open", KisTest::fs::perms::owner_all);
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    const std::string user = entry->pw_name;

    std::string command =
        "cd '" + sandbox.Text() + "' && env PATH='" + (sandbox / "bin") + ":" + std::getenv("PATH") + "'";
    for (const char* name : {"DESKTOP_FOLDER", "DOCUMENTS_FOLDER", "PROGRAMFILES_FOLDER", "RTAS_FOLDER",
                             "VST_FOLDER", "STARTMENU_FOLDER", "TEMP_FOLDER"})
        command += std::string(" KIS_") + name + "='" + (sandbox / name) + "'";
    command += " '" KIS_BINARY_DIR "/ui/kis-installer' --medium '" + medium + "' --silent --registry '" +
               (sandbox / "settings.db") + "' --set OWNER=" + user + " > /dev/null 2> '" +
               (sandbox / "stderr.txt") + "'";
    const int status = std::system(command.c_str());
    const std::string errors = KisTest::ReadFile(sandbox / "stderr.txt");
    ASSERT_TRUE(WIFEXITED(status)) << errors;
    // Some keywords fail on purpose (see the expected log): the run ends with exit code 3.
    ASSERT_EQ(WEXITSTATUS(status), 3) << errors;
    EXPECT_NE(errors.find("Alert: Please now reboot your computer!\n"), std::string::npos) << errors;

    const std::string product = (sandbox / "PROGRAMFILES_FOLDER") + "/Product";
    const std::string log = KisTest::ReadFile(product + "/Logs/EveryKeyword_installLog.log");
    const std::string table = log.substr(log.find("+---------+"));
    EXPECT_EQ(Normalised(table, sandbox.Text(), user),
              KisTest::ReadFile(KIS_TEST_INPUTS "/every-keyword.log"));
    EXPECT_EQ(
        Normalised(KisTest::ReadFile(product + "/Logs/EveryKeyword_uninstaller.kus"), sandbox.Text(), user),
        KisTest::ReadFile(KIS_TEST_INPUTS "/every-keyword.kus"));

    // The files the run left.
    EXPECT_EQ(KisTest::ReadFile(product + "/ran.txt"), "synced\n");
    // The plain form does not wait for its program; give it a moment to write.
    for (int wait = 0; wait < 100 && KisTest::ReadFile(product + "/started.txt").empty(); ++wait)
        usleep(20000);
    EXPECT_EQ(KisTest::ReadFile(product + "/started.txt"), "started\n");
    EXPECT_EQ(KisTest::ReadFile(product + "/data/sub/c.txt"), "three\n");
    EXPECT_TRUE(KisTest::IsWritable(product + "/data/a.txt"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/readme.txt"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/old.ini"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/scratch"));
    EXPECT_EQ(KisTest::ReadFile(sandbox / "opened.txt"), "file://" + product + "/data\n");
    const std::string shortcut = KisTest::ReadFile(product + "/Product.desktop");
    EXPECT_NE(shortcut.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(shortcut.find("Comment=The product tool\n"), std::string::npos);
    EXPECT_TRUE((KisTest::fs::status(product + "/Product.desktop").permissions() &
                 KisTest::fs::perms::owner_exec) != KisTest::fs::perms::none);

    // The settings store holds the written value, and the deleted key is gone; beside it the product's
    // record.
    const std::string store = sandbox / "settings.db";
    EXPECT_EQ(Query(store, "select data from registry_values where key_path like 'Software\\Maker%'"),
              product + "/bin\n");
    const std::string logs = product + "/Logs/EveryKeyword_";
    EXPECT_EQ(Query(store, "select name || '=' || data from registry_values where key_path = "
                           "'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\EveryKeyword' "
                           "and name != 'InstallDate' order by name"),
              "DisplayName=EveryKeyword\nInstallLocation=" + product + "/Logs\nInstallLog=" + logs +
                  "installLog.log\nUninstallScript=" + logs +
                  "uninstaller.kus\nUninstallString=\"" KIS_BINARY_DIR "/ui/kis-installer\" --uninstall \"" +
                  logs + "uninstaller.kus\" --registry \"" + store + "\"\n");
    EXPECT_TRUE(std::regex_match(Query(store, "select data from registry_values where name = 'InstallDate'"),
                                 std::regex("20[0-9]{6}\n")));
}
