#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Black-box runs of the real program: installations in a sandbox (every built-in folder and the settings
// store inside a test folder), removed again with --uninstall.
namespace {

namespace fs = std::filesystem;

const char* const kScript = R"({KestrawinInstallSystem}
{Variables}
TARGET, $PROGRAMFILES_FOLDER$/Maker/Tool
PAYLOAD, $CWD_FOLDER$/Payload
LIST, one,two,three
{GlobalSetup}
APPLICATION_NAME, Tool
APPLICATION_DEVELOPER, Maker
APPLICATION_VERSION, 3.2
APPLICATION_LOGPATH, $TARGET$/Logs
{Pages}
InstallProcessView, LogView
CompletionView, Done
{MainInstall}
{Section}, 10, Files, Every kind of entry, Required
CreateDirectory, $TARGET$/bin
CopyFile, $PAYLOAD$/tool.sh, $TARGET$/bin/tool.sh
CopyFile, $PAYLOAD$/readme.txt, $TARGET$/readme.txt, 00400
CopyDirectory, $PAYLOAD$/data, $TARGET$/data, [recursive]
CopyFile, $PAYLOAD$/component.so, $TARGET$/bin/component.so
RegisterDLL, $TARGET$/bin/component.so
WriteRegistryEntry, $LIST$, Software\Maker\Tool\Options, List
WriteRegistryEntry, $TARGET$, Software\Maker\Tool, InstallDir
CreateShortcut, $DESKTOP_FOLDER$/Tool.desktop, $TARGET$/bin/tool.sh, The tool
)";

const char* const kFolders[] = {"DESKTOP_FOLDER", "DOCUMENTS_FOLDER", "PROGRAMFILES_FOLDER", "RTAS_FOLDER",
                                "VST_FOLDER",     "STARTMENU_FOLDER", "TEMP_FOLDER"};

class Sandbox {
public:
    Sandbox() {
        for (const char* name : kFolders)
            fs::create_directories(Folder(name));
        const std::string payload = m_root / "medium/Payload";
        KisTest::WriteFile(m_root / "medium/Installer/InstallScript.kis", kScript);
        KisTest::WriteFile(payload + "/tool.sh", "#!/bin/sh\n");
        KisTest::WriteFile(payload + "/readme.txt", "read me\n");
        KisTest::WriteFile(payload + "/data/a.txt", "a\n");
        KisTest::WriteFile(payload + "/data/sub/b.txt", "b\n");
        fs::copy_file(KIS_COMPONENT_OK, payload + "/component.so");
    }

    std::string Folder(const char* name) const { return m_root / ("sandbox/" + std::string(name)); }
    std::string Target() const { return Folder("PROGRAMFILES_FOLDER") + "/Maker/Tool"; }
    std::string Script() const { return Target() + "/Logs/Tool_uninstaller.kus"; }
    std::string Path(const std::string& name) const { return m_root / name; }

    // Runs the program with the sandbox's folders and store; the exit code. as: a command prefix that
    // runs it as another user.
    int Run(const std::string& options, const std::string& as = "") const {
        std::string command = "cd '" + m_root.Text() + "' && " + as + " env HOME='" + (m_root / "home") + "'";
        for (const char* name : kFolders)
            command += std::string(" KIS_") + name + "='" + Folder(name) + "'";
        command += " '" KIS_BINARY_DIR "/ui/kis-installer' --registry '" + (m_root / "store.db") + "' " +
                   options + " > '" + (m_root / "stdout.txt") + "' 2> '" + (m_root / "stderr.txt") + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Install(const std::string& more = "", const std::string& as = "") const {
        return Run("--medium '" + (m_root / "medium") + "' --silent " + more, as);
    }
    std::string Output() const { return KisTest::ReadFile(m_root / "stdout.txt"); }
    std::string Errors() const { return KisTest::ReadFile(m_root / "stderr.txt"); }

    // Every entry of the sandbox with its kind and content, and every value and deeper key of the store.
    // The first two levels of a key path (Software, Software\<Vendor>) are kept by design when emptied.
    std::string Snapshot() const {
        std::vector<std::string> lines;
        for (auto it = fs::recursive_directory_iterator(m_root / "sandbox"); it != fs::end(it); ++it) {
            const fs::file_status status = it->symlink_status();
            std::string line = fs::relative(it->path(), m_root.Path()).string();
            if (fs::is_symlink(status))
                line += " -> " + fs::read_symlink(it->path()).string();
            else if (fs::is_regular_file(status))
                line += " = " + KisTest::ReadFile(it->path().string());
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text + Query("select key_path, name, data from registry_values order by 1, 2;"
                            "select path from registry_keys where path like '%\\%\\%' order by 1");
    }
    std::string Query(const std::string& sql) const {
        if (!fs::exists(m_root / "store.db")) return "";
        FILE* pipe = popen(("sqlite3 '" + (m_root / "store.db") + "' \"" + sql + "\" 2>&1").c_str(), "r");
        if (!pipe) return "cannot run sqlite3";
        std::string result;
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe))
            result += buffer;
        pclose(pipe);
        return result;
    }
    const KisTest::TempFolder& Root() const { return m_root; }

private:
    KisTest::TempFolder m_root;
};

std::vector<std::string> Entries(const std::string& script) {
    std::vector<std::string> entries;
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '[') entries.push_back(line);
    return entries;
}

} // namespace

TEST(Uninstall, RemovesEveryKindOfEntryAndLeavesNothing) {
    Sandbox sandbox;
    const std::string before = sandbox.Snapshot();
    ASSERT_EQ(sandbox.Install(), 0) << sandbox.Errors();
    EXPECT_TRUE(fs::exists(sandbox.Folder("DESKTOP_FOLDER") + "/Tool.desktop"));
    EXPECT_NE(sandbox.Query("select data from registry_values where name = 'List'"), "");

    ASSERT_EQ(sandbox.Run("--list"), 0);
    EXPECT_EQ(sandbox.Output(), "Tool\t3.2\tMaker\t" + sandbox.Script() + "\n");

    const std::string pictures = sandbox.Path("pictures");
    ASSERT_EQ(sandbox.Run("--silent --screenshots '" + pictures + "' --uninstall '" + sandbox.Script() + "'"),
              0)
        << sandbox.Errors();
    EXPECT_EQ(sandbox.Snapshot(), before);
    // The wizard's three pages went by.
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(pictures))
        pages.push_back(entry.path().filename().string());
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, (std::vector<std::string>{"01-Remove.png", "02-Uninstall.png", "03-Complete.png"}));
    ASSERT_EQ(sandbox.Run("--list"), 0);
    EXPECT_EQ(sandbox.Output(), "");
    // Gone means gone: a second uninstall finds nothing.
    EXPECT_EQ(sandbox.Run("--silent --uninstall '" + sandbox.Script() + "'"), 255);
    EXPECT_NE(sandbox.Errors().find("does not exist"), std::string::npos) << sandbox.Errors();
}

TEST(Uninstall, KeepsTheUsersFileWithItsFoldersAndRemovesTwoInstallationsAtOnce) {
    Sandbox sandbox;
    ASSERT_EQ(sandbox.Install(), 0) << sandbox.Errors();
    // The second run cannot replace the read-only readme the first one left (failed steps: exit 3), and
    // still adds a second head to the uninstall script.
    ASSERT_EQ(sandbox.Install(), 3) << sandbox.Errors();
    KisTest::WriteFile(sandbox.Target() + "/data/sub/mine.txt", "the user's own\n");

    // By name, without regard to case; both heads of the script go in one run.
    ASSERT_EQ(sandbox.Run("--silent --uninstall TOOL"), 0) << sandbox.Errors();
    EXPECT_EQ(KisTest::ReadFile(sandbox.Target() + "/data/sub/mine.txt"), "the user's own\n");
    std::vector<std::string> left;
    for (auto it = fs::recursive_directory_iterator(sandbox.Target()); it != fs::end(it); ++it)
        left.push_back(fs::relative(it->path(), sandbox.Target()).string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"data", "data/sub", "data/sub/mine.txt"}));
    EXPECT_FALSE(fs::exists(sandbox.Folder("DESKTOP_FOLDER") + "/Tool.desktop"));
    EXPECT_EQ(sandbox.Query("select count(*) from registry_values"), "0\n");
}

TEST(Uninstall, WhatCannotBeRemovedStaysListedForASecondRun) {
    Sandbox sandbox;
    // The owner-write bit stops an ordinary user, not the administrator: run as one.
    std::string as;
    if (geteuid() == 0) {
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        ASSERT_EQ(std::system(("chown -R 65534:65534 '" + sandbox.Root().Text() + "'").c_str()), 0);
    }
    const std::string before = sandbox.Snapshot();
    ASSERT_EQ(sandbox.Install("", as), 0) << sandbox.Errors();
    const std::string sub = sandbox.Target() + "/data/sub";
    fs::permissions(sub, fs::perms::owner_write, fs::perm_options::remove);

    EXPECT_EQ(sandbox.Run("--silent --uninstall Tool", as), 1) << sandbox.Errors();
    // Left: the file that could not go and the folders of ours that hold it.
    const std::vector<std::string> entries = Entries(sandbox.Script());
    std::vector<std::string> files;
    for (const std::string& entry : entries) {
        if (entry.rfind("[File],", 0) == 0) files.push_back(entry);
        if (entry.rfind("[Folder],", 0) == 0) {
            EXPECT_EQ(sub.rfind(entry.substr(9), 0), 0u) << entry << " does not hold the file";
        }
    }
    EXPECT_EQ(files, (std::vector<std::string>{"[File]," + sub + "/b.txt"}));
    // The library was unregistered before its file went (newest entry first).
    const std::string log = KisTest::ReadFile(sandbox.Target() + "/Logs/Tool_uninstallLog.log");
    const size_t unregistered = log.find("Unregistered library " + sandbox.Target() + "/bin/component.so");
    const size_t removed = log.find("Removed file " + sandbox.Target() + "/bin/component.so");
    ASSERT_NE(unregistered, std::string::npos) << log;
    EXPECT_LT(unregistered, removed);
    ASSERT_EQ(sandbox.Run("--list"), 0);
    EXPECT_NE(sandbox.Output(), "");

    fs::permissions(sub, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(sandbox.Run("--silent --uninstall Tool", as), 0) << sandbox.Errors();
    EXPECT_EQ(sandbox.Snapshot(), before);
}

TEST(Uninstall, RefusesUnsafeEntriesAndNeverFollowsALink) {
    Sandbox sandbox;
    KisTest::TempFolder outside;
    KisTest::WriteFile(outside / "victim.txt", "precious\n");
    const std::string logs = sandbox.Path("logs");
    fs::create_directories(logs);
    const std::string link = sandbox.Folder("DOCUMENTS_FOLDER") + "/link.txt";
    fs::create_symlink(outside / "victim.txt", link);
    const std::string nowAFolder = sandbox.Folder("DOCUMENTS_FOLDER") + "/now-a-folder";
    fs::create_directories(nowAFolder);
    const std::string folderLink = sandbox.Folder("DOCUMENTS_FOLDER") + "/folder-link";
    fs::create_directory_symlink(outside.Path(), folderLink);
    KisTest::WriteFile(logs + "/Hand_uninstaller.kus",
                       "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,Hand\n\n\n"
                       "[File],relative/file.txt\n"
                       "[Folder],/\n"
                       "[Folder]," +
                           sandbox.Folder("DESKTOP_FOLDER") + "/\n[Folder]," + sandbox.Path("home") +
                           "\n[File]," + link + "\n[Folder]," + folderLink + "\n[File]," + nowAFolder +
                           "\n[Shared],/usr/lib/shared.so\n[Unknown],x\n[Registry],NoCommas\n");

    EXPECT_EQ(sandbox.Run("--silent --uninstall '" + logs + "/Hand_uninstaller.kus'"), 1) << sandbox.Errors();
    EXPECT_EQ(KisTest::ReadFile(outside / "victim.txt"), "precious\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folderLink)));
    EXPECT_TRUE(fs::is_directory(sandbox.Folder("DESKTOP_FOLDER")));
    const std::string log = KisTest::ReadFile(logs + "/Hand_uninstallLog.log");
    for (const char* refusal :
         {"relative/file.txt: it is not an absolute path", "/: it is a root folder",
          "DESKTOP_FOLDER/: it is the built-in folder DESKTOP_FOLDER", "home: it is the home folder",
          "Kept shared file /usr/lib/shared.so", "Cannot read the uninstall entry [Unknown],x",
          "Cannot read the registry entry NoCommas", "now-a-folder: it is a folder now"})
        EXPECT_NE(log.find(refusal), std::string::npos) << refusal << "\n" << log;
    // The refused and unreadable entries are still to do; the links and the shared file are done.
    EXPECT_EQ(Entries(logs + "/Hand_uninstaller.kus"),
              (std::vector<std::string>{"[File],relative/file.txt", "[Folder],/",
                                        "[Folder]," + sandbox.Folder("DESKTOP_FOLDER") + "/",
                                        "[Folder]," + sandbox.Path("home"), "[File]," + nowAFolder,
                                        "[Unknown],x", "[Registry],NoCommas"}));
    EXPECT_TRUE(fs::is_directory(nowAFolder));
}

TEST(Uninstall, NamesNothingToRemoveWithStartupFailure) {
    Sandbox sandbox;
    EXPECT_EQ(sandbox.Run("--silent --uninstall NoSuchProduct"), 255);
    EXPECT_NE(sandbox.Errors().find("no installed product is called \"NoSuchProduct\""), std::string::npos);
    EXPECT_EQ(sandbox.Run("--silent --uninstall '" + sandbox.Path("missing.kus") + "'"), 255);
    KisTest::WriteFile(sandbox.Path("other.kus"), "{KestrawinInstallSystem}\n[File],/tmp/x\n");
    EXPECT_EQ(sandbox.Run("--silent --uninstall '" + sandbox.Path("other.kus") + "'"), 255);
    EXPECT_NE(sandbox.Errors().find("is not an uninstall script"), std::string::npos);
}

TEST(Uninstall, AnAbortedInstallationIsRolledBack) {
    Sandbox sandbox;
    // An abort after every kind of change.
    std::string script = kScript;
    script += "{Section}, 1, Stop, Stops the run, Required\nAbortInstallation\n";
    KisTest::WriteFile(sandbox.Path("medium/Installer/InstallScript.kis"), script);
    const std::string before = sandbox.Snapshot();
    EXPECT_EQ(sandbox.Install(), 1);
    EXPECT_NE(sandbox.Snapshot(), before) << "without rollback the changes stay";
    ASSERT_EQ(sandbox.Run("--silent --uninstall Tool"), 0) << sandbox.Errors();
    ASSERT_EQ(sandbox.Snapshot(), before);

    EXPECT_EQ(sandbox.Install("--rollback"), 1) << sandbox.Errors();
    EXPECT_EQ(sandbox.Snapshot(), before);
    ASSERT_EQ(sandbox.Run("--list"), 0);
    EXPECT_EQ(sandbox.Output(), "");
}
