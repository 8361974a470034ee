// Black-box runs of the real program in a sandbox, tried as an attacker who may write into the target
// folders and as a careless user would: planted links, pipes, a full disk, a damaged settings store.

#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using KisTest::ReadFile;
using KisTest::TempFolder;
using KisTest::WriteFile;

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

// Runs the installer silently on sandbox/medium with every built-in folder inside the sandbox (the desktop
// is sandbox/desk). shell runs first in the same shell (umask, ulimit, trap); the run is cut off after
// 60 seconds (exit code 124) so that a hang fails the test instead of stopping it.
Outcome Install(const TempFolder& sandbox, const std::string& shell = "", const std::string& options = "") {
    const std::string errors = sandbox / "stderr.txt";
    std::string command = "cd '" + sandbox.Text() + "' && " + shell + " env";
    for (const char* name : {"DOCUMENTS_FOLDER", "PROGRAMFILES_FOLDER", "RTAS_FOLDER", "VST_FOLDER",
                             "STARTMENU_FOLDER", "TEMP_FOLDER"})
        command += std::string(" KIS_") + name + "='" + (sandbox / name) + "'";
    command += " KIS_DESKTOP_FOLDER='" + (sandbox / "desk") + "' KIS_REGISTRY='" + (sandbox / "registry.db") +
               "' timeout 60 '" KIS_BINARY_DIR "/ui/kis-installer' --medium '" + (sandbox / "medium") +
               "' --silent " + options + " > /dev/null 2> '" + errors + "'";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.errors = KisTest::ProgramErrors(ReadFile(errors));
    return outcome;
}

// A script logging to the desktop's Logs folder with one required section of the given lines.
std::string Script(const std::string& lines, const std::string& name = "App", const std::string& pages = "") {
    return "{KestrawinInstallSystem}\n{Variables}\nA, $B$\nB, $A$\n{GlobalSetup}\nAPPLICATION_NAME, " + name +
           "\nAPPLICATION_LOGPATH, $DESKTOP_FOLDER$/Logs\n{Pages}\n" + pages +
           "InstallProcessView, LogView\nCompletionView, Done\n{MainInstall}\n{Section}, 1, Main, Main, "
           "Required\n" +
           lines;
}

void WriteScript(const TempFolder& sandbox, const std::string& text) {
    WriteFile(sandbox / "medium/Installer/InstallScript.kis", text);
    WriteFile(sandbox / "medium/Installer/payload.txt", "payload\n");
}

std::string LogOf(const TempFolder& sandbox, const std::string& name = "App") {
    return ReadFile(sandbox / ("desk/Logs/" + name + "_installLog.log"));
}

// A file outside the sandbox that the installer must never touch.
struct Victim {
    std::string path;
    std::string bytes;
    mode_t mode;
    uid_t owner;

    Victim(const std::string& at, mode_t permissions, const std::string& content = "secret\n")
        : path(at), bytes(content), mode(permissions), owner(geteuid()) {
        WriteFile(path, bytes);
        chmod(path.c_str(), mode);
    }
    // "" when the victim is as it was.
    std::string Changes() const {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) return path + " is gone";
        std::string changes;
        if (ReadFile(path) != bytes) changes += path + " was rewritten; ";
        if ((info.st_mode & 07777) != mode) changes += path + " changed its mode; ";
        if (info.st_uid != owner) changes += path + " changed its owner; ";
        return changes;
    }
};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

int CountOf(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(InstallerLinks, NeverWritesChangesOrDeletesThroughPlantedLinks) {
    TempFolder sandbox;
    TempFolder outside;
    const bool root = geteuid() == 0;
    WriteScript(sandbox,
                Script("CopyFile, $CWD_FOLDER$/Installer/payload.txt, $DESKTOP_FOLDER$/app.conf\n"
                       "CopyFile, $CWD_FOLDER$/Installer/payload.txt, $DESKTOP_FOLDER$/folderlink\n"
                       "CopyDirectory, $CWD_FOLDER$/Installer/tree, $DESKTOP_FOLDER$/tree, [recursive]\n"
                       "CreateShortcut, $DESKTOP_FOLDER$/app.desktop, $DESKTOP_FOLDER$/app.conf, App\n"
                       "ChangePermissions, $DESKTOP_FOLDER$/perm, 00400, recursive\n"
                       "ChangeOwner, $DESKTOP_FOLDER$/own, nobody, recursive\n"
                       "DeleteDirectory, $DESKTOP_FOLDER$/del, [recursive force]\n"
                       "DeleteDirectory, $DESKTOP_FOLDER$/dellink, [recursive force]\n"));
    WriteFile(sandbox / "medium/Installer/tree/sub/f.txt", "tree file");
    const std::string desk = sandbox / "desk";
    const std::string vdir = outside / "vdir";
    fs::create_directories(vdir);
    fs::create_directories(desk + "/tree");
    fs::create_directories(desk + "/Logs");

    const Victim conf(outside / "conf", 0640);
    const Victim shortcut(outside / "shortcut", 0600);
    const Victim log(outside / "log", 0600);
    const Victim uninstall(outside / "uninstall", 0600);
    fs::create_symlink(conf.path, desk + "/app.conf");
    fs::create_symlink(vdir, desk + "/folderlink");
    fs::create_symlink(vdir, desk + "/tree/sub");
    fs::create_symlink(shortcut.path, desk + "/app.desktop");
    fs::create_symlink(log.path, desk + "/Logs/App_installLog.log");
    fs::create_symlink(uninstall.path, desk + "/Logs/App_uninstaller.kus");

    // Trees holding links to a file and to a folder outside.
    const Victim permFile(outside / "perm-file", 0644);
    const Victim permDeep(outside / "perm-dir/x", 0644);
    const Victim ownFile(outside / "own-file", 0644);
    const Victim ownDeep(outside / "own-dir/y", 0644);
    const Victim delDeep(outside / "del-dir/z", 0444);
    const Victim linkedDeep(outside / "linked-dir/w", 0644);
    chmod((outside / "del-dir").c_str(), 0555);
    WriteFile(desk + "/perm/a.txt");
    fs::create_symlink(permFile.path, desk + "/perm/file-link");
    fs::create_symlink(outside / "perm-dir", desk + "/perm/dir-link");
    WriteFile(desk + "/own/b.txt");
    fs::create_symlink(ownFile.path, desk + "/own/file-link");
    fs::create_symlink(outside / "own-dir", desk + "/own/dir-link");
    WriteFile(desk + "/del/sub/c.txt");
    chmod((desk + "/del/sub").c_str(), 0555);
    fs::create_symlink(outside / "del-dir", desk + "/del/dir-link");
    fs::create_symlink(outside / "linked-dir", desk + "/dellink");

    const Outcome outcome = Install(sandbox);
    // The copy onto a link to a folder and the copy into a linked sub-folder fail; the rest succeeds.
    EXPECT_EQ(outcome.exitCode, 3) << outcome.errors;
    for (const Victim* victim :
         {&conf, &shortcut, &log, &uninstall, &permFile, &permDeep, &delDeep, &linkedDeep})
        EXPECT_EQ(victim->Changes(), "");
    EXPECT_EQ(ModeOf(outside / "del-dir"), 0555u);
    EXPECT_TRUE(fs::is_empty(vdir));

    // The links themselves were replaced by the installer's own files.
    EXPECT_EQ(ReadFile(desk + "/app.conf"), "payload\n");
    EXPECT_FALSE(fs::is_symlink(desk + "/app.conf"));
    EXPECT_NE(ReadFile(desk + "/app.desktop").find("[Desktop Entry]"), std::string::npos);
    EXPECT_NE(ReadFile(desk + "/Logs/App_installLog.log").find("CopyFile. Src="), std::string::npos);
    EXPECT_NE(ReadFile(desk + "/Logs/App_uninstaller.kus").find("[File]," + desk + "/app.conf"),
              std::string::npos);
    EXPECT_NE(LogOf(sandbox).find("| Failure |CopyFile. Src=" + (sandbox / "medium/Installer/payload.txt") +
                                  ", Dst=" + desk + "/folderlink"),
              std::string::npos);
    EXPECT_FALSE(KisTest::IsWritable(desk + "/perm/a.txt"));
    EXPECT_FALSE(fs::exists(desk + "/del"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(desk + "/dellink")));

    // A second name of someone else's file in the uninstall script's place is replaced, not continued.
    const Victim linked(outside / "hard-linked", 0644);
    fs::remove(desk + "/Logs/App_uninstaller.kus");
    fs::create_hard_link(linked.path, desk + "/Logs/App_uninstaller.kus");
    Install(sandbox);
    EXPECT_EQ(linked.Changes(), "");
    EXPECT_NE(ReadFile(desk + "/Logs/App_uninstaller.kus").find("{UninstallScript}"), std::string::npos);

    if (root) {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        struct stat info {};
        ASSERT_EQ(stat((desk + "/own/b.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, nobody->pw_uid);
        EXPECT_EQ(ownFile.Changes(), "");
        EXPECT_EQ(ownDeep.Changes(), "");
    }
}

TEST(InstallerLinks, StartedProgramsInheritNoOpenInstallRecord) {
    TempFolder sandbox;
    WriteScript(sandbox,
                Script("ExecuteApplicationSync, $CWD_FOLDER$/Installer/fds.sh, $DESKTOP_FOLDER$/fds.txt\n"));
    WriteFile(sandbox / "medium/Installer/fds.sh", "#!/bin/sh\nls -l /proc/$$/fd > \"$1\"\n");
    fs::permissions(sandbox / "medium/Installer/fds.sh", fs::perms::owner_all);
    const Outcome outcome = Install(sandbox);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::string descriptors = ReadFile(sandbox / "desk/fds.txt");
    ASSERT_NE(descriptors, "");
    EXPECT_EQ(descriptors.find("_installLog.log"), std::string::npos) << descriptors;
    EXPECT_EQ(descriptors.find("_uninstaller.kus"), std::string::npos) << descriptors;
}

TEST(InstallerInputs, RefusesPipesOversizedAndNonTextScriptsAndSkipsPipedPages) {
    TempFolder sandbox;
    const std::string script = sandbox / "medium/Installer/InstallScript.kis";
    fs::create_directories(sandbox / "medium/Installer");
    ASSERT_EQ(mkfifo(script.c_str(), 0644), 0);
    EXPECT_EQ(Install(sandbox).exitCode, 255);

    fs::remove(script);
    WriteFile(script, Script("") + std::string(17 * 1024 * 1024, '#'));
    EXPECT_EQ(Install(sandbox).exitCode, 255);

    WriteFile(script, Script("CreateDirectory, $DESKTOP_FOLDER$/made\x01here\n"));
    EXPECT_EQ(Install(sandbox).exitCode, 255);
    EXPECT_FALSE(fs::exists(sandbox / "desk"));

    // A document or a picture that is a pipe shows as missing instead of stopping the wizard.
    WriteScript(sandbox, Script("CreateDirectory, $DESKTOP_FOLDER$/made\n", "App",
                                "DocumentView, Readme, Title, Subtitle, Footer, "
                                "$CWD_FOLDER$/Installer/readme.txt\nImageView, Picture, "
                                "$CWD_FOLDER$/Installer/picture.tga\n"));
    ASSERT_EQ(mkfifo((sandbox / "medium/Installer/readme.txt").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((sandbox / "medium/Installer/picture.tga").c_str(), 0644), 0);
    const Outcome outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_TRUE(fs::is_directory(sandbox / "desk/made"));
}

TEST(InstallerOutcome, ReportsFailedStepsUnexpandedVariablesAndNothingToInstall) {
    TempFolder sandbox;
    WriteScript(sandbox, Script("CreateDirectory, $DESKTOP_FOLDER$/made\n"));
    Outcome outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_TRUE(outcome.errors.ends_with("\nInstallation succeeded: 0 failed rows; install log: " +
                                         (sandbox / "desk/Logs/App_installLog.log") + "\n"))
        << outcome.errors;

    // An undeclared and a self-referring variable leave their references: the steps fail, naming them,
    // and nothing named after them is made below the current folder.
    WriteScript(sandbox, Script("CreateDirectory, $D$/sub\nCopyFile, $CWD_FOLDER$/Installer/payload.txt, "
                                "$A$/copy.txt\nCreateDirectory, $DESKTOP_FOLDER$/after\n"));
    outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 3) << outcome.errors;
    const std::string log = LogOf(sandbox);
    EXPECT_NE(log.find("| Failure |CreateDirectory. Variable $D$ could not be expanded in path $D$/sub "),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("| Failure |CopyFile. Variable $A$ could not be expanded"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(sandbox / "$D$"));
    EXPECT_FALSE(fs::exists(sandbox / "$A$"));
    EXPECT_FALSE(fs::exists(sandbox / "$B$"));
    EXPECT_TRUE(fs::is_directory(sandbox / "desk/after"));
    EXPECT_TRUE(
        outcome.errors.ends_with("\nInstallation finished with failures: 4 failed rows; install log: " +
                                 (sandbox / "desk/Logs/App_installLog.log") + "\n"))
        << outcome.errors;

    // AbortInstallation's own failure row is its meaning: with Exit the run still succeeds.
    WriteScript(sandbox, Script("CreateDirectory, $DESKTOP_FOLDER$/made\nAbortInstallation, Exit\n"));
    EXPECT_EQ(Install(sandbox).exitCode, 0);
    WriteScript(sandbox, Script("CreateDirectory, $DESKTOP_FOLDER$/made\nAbortInstallation\n"));
    outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("\nInstallation stopped: 1 failed row; install log: "), std::string::npos)
        << outcome.errors;

    // A script of its header alone installs nothing and says so.
    WriteFile(sandbox / "medium/Installer/InstallScript.kis", "{KestrawinInstallSystem}\n");
    outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("nothing to install"), std::string::npos) << outcome.errors;
}

TEST(InstallerOutcome, AnUnwritableInstallRecordIsToldOnceAndEndsWithCode3) {
    // A full disk (the file size limit): the payload copy fails without leaving a damaged file, the log
    // stops being written, the user is told once.
    TempFolder sandbox;
    std::string lines = "CopyFile, $CWD_FOLDER$/Installer/big.bin, $DESKTOP_FOLDER$/big.bin\n";
    for (int i = 0; i < 60; ++i)
        lines += "CreateDirectory, $DESKTOP_FOLDER$/folder" + std::to_string(i) + "\n";
    WriteScript(sandbox, Script(lines));
    WriteFile(sandbox / "medium/Installer/big.bin", KisTest::PatternBytes(256 * 1024));
    fs::create_directories(sandbox / "desk");
    WriteFile(sandbox / "desk/big.bin", "the earlier installation's file");
    Outcome outcome = Install(sandbox, "trap '' XFSZ; ulimit -f 16;");
    EXPECT_EQ(outcome.exitCode, 3) << outcome.errors;
    EXPECT_EQ(CountOf(outcome.errors, "Alert: The installation record"), 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("(could not be written in full)\n"), std::string::npos) << outcome.errors;
    EXPECT_EQ(ReadFile(sandbox / "desk/big.bin"), "the earlier installation's file");
    for (const auto& entry : fs::directory_iterator(sandbox / "desk"))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".kis-tmp-")) << entry.path();
    EXPECT_TRUE(fs::is_directory(sandbox / "desk/folder59"));

    // An application name holding a separator names no file in the log folder.
    WriteScript(sandbox, Script("CreateDirectory, $DESKTOP_FOLDER$/made\n", "Bad/Name"));
    outcome = Install(sandbox);
    EXPECT_EQ(outcome.exitCode, 3) << outcome.errors;
    EXPECT_EQ(CountOf(outcome.errors, "Alert: The installation record"), 1) << outcome.errors;
    EXPECT_TRUE(fs::is_directory(sandbox / "desk/made"));
}

TEST(InstallerSettingsStore, WritesToADamagedStoreFailWithoutUninstallEntries) {
    TempFolder sandbox;
    WriteScript(sandbox, Script("WriteRegistryEntry, value, Software\\Maker\\App, Name\n"
                                "ReadRegistryEntry, A, Software\\Maker\\App, Name\n"));
    const auto check = [&](const char* what) {
        const Outcome outcome = Install(sandbox);
        EXPECT_EQ(outcome.exitCode, 3) << what << "\n" << outcome.errors;
        EXPECT_NE(LogOf(sandbox).find("| Failure |WriteRegistry. Key=Name, value=value "), std::string::npos)
            << what;
        EXPECT_NE(LogOf(sandbox).find("| Failure |ReadRegistry. The settings store"), std::string::npos)
            << what;
        EXPECT_EQ(ReadFile(sandbox / "desk/Logs/App_uninstaller.kus").find("[Registry]"), std::string::npos)
            << what;
    };
    WriteFile(sandbox / "registry.db", std::string(4096, 'x'));
    check("a damaged store file");
    fs::remove(sandbox / "registry.db");
    fs::create_directories(sandbox / "registry.db");
    check("a folder at the store's path");
}

TEST(InstallerModes, APermissiveUmaskMakesNothingWritableForOthers) {
    TempFolder sandbox;
    WriteScript(sandbox,
                Script("CreateDirectory, $DESKTOP_FOLDER$/made/deeper\n"
                       "CopyFile, $CWD_FOLDER$/Installer/payload.txt, $DESKTOP_FOLDER$/made/app.conf\n"
                       "CopyDirectory, $CWD_FOLDER$/Installer/tree, $DESKTOP_FOLDER$/tree, [recursive]\n"
                       "CreateShortcut, $DESKTOP_FOLDER$/app.desktop, $DESKTOP_FOLDER$/made/app.conf, "
                       "App\n"));
    WriteFile(sandbox / "medium/Installer/tree/sub/f.txt");
    chmod((sandbox / "medium/Installer/tree/sub/f.txt").c_str(), 0666);
    const Outcome outcome = Install(sandbox, "umask 000;");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    for (const char* made :
         {"desk", "desk/Logs", "desk/Logs/App_installLog.log", "desk/Logs/App_uninstaller.kus", "desk/made",
          "desk/made/deeper", "desk/made/app.conf", "desk/tree", "desk/tree/sub", "desk/tree/sub/f.txt",
          "desk/app.desktop"}) {
        ASSERT_TRUE(fs::exists(sandbox / made)) << made;
        EXPECT_EQ(ModeOf(sandbox / made) & 022, 0u) << made << " is writable for others";
    }
}

TEST(InstallerTemporaryFiles, ACopyRemovesWhatAnInterruptedRunLeftButNotWhatARunningOneWrites) {
    TempFolder sandbox;
    WriteScript(sandbox,
                Script("CopyFile, $CWD_FOLDER$/Installer/payload.txt, $DESKTOP_FOLDER$/app.conf\n"
                       "CopyDirectory, $CWD_FOLDER$/Installer/tree, $DESKTOP_FOLDER$/tree, [recursive]\n"));
    WriteFile(sandbox / "medium/Installer/tree/sub/f.txt");
    // No process runs with the first id; this test's process runs with the second.
    const std::string stale = ".kis-tmp-2147483646-0.tmp";
    const std::string live = ".kis-tmp-" + std::to_string(getpid()) + "-0.tmp";
    // On a shared drive another machine's process ids mean nothing here.
    const std::string elsewhere = ".kis-tmp-2147483646@another.machine-0.tmp";
    for (const char* folder : {"desk", "desk/tree/sub"}) {
        WriteFile(sandbox / (std::string(folder) + "/" + stale), "left by a killed run");
        WriteFile(sandbox / (std::string(folder) + "/" + live), "being written");
        WriteFile(sandbox / (std::string(folder) + "/" + elsewhere), "being written elsewhere");
    }
    const Outcome outcome = Install(sandbox);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    for (const char* folder : {"desk", "desk/tree/sub"}) {
        EXPECT_FALSE(fs::exists(sandbox / (std::string(folder) + "/" + stale))) << folder;
        EXPECT_TRUE(fs::exists(sandbox / (std::string(folder) + "/" + live))) << folder;
        EXPECT_TRUE(fs::exists(sandbox / (std::string(folder) + "/" + elsewhere))) << folder;
    }
}
