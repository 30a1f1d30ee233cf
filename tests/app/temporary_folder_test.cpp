// Where the log and extracted media go: the choice of the temporary folder,
// and what is refused in a /tmp that every user shares.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/error_report.h"
#include "files/media_archive.h"
#include "files/test_archives.h"
#include "platform/temp_dir.h"
#include "support/child_entry.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
using test::readWholeFile;

// Runs with a /tmp of its own (a private mount namespace), so planted
// folders never meet the machine's real /tmp.
VORLAN_TEST_CHILD(TemporaryFolderProbe) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(std::getenv("PROBE_TMP"), "/tmp", nullptr, MS_BIND, nullptr) != 0) {
        std::_Exit(3);
    }
    std::printf("%s\n", platform::temporaryDirectory().c_str());
    appendErrorLog("probe line");
    ArchiveContext context;
    context.archiveName = "/tmp/media.viz";
    RtString media;
    int found = resolveMediaFile(context, "bush.png", media);
    std::printf("%d %s\n", found, media.cStr());
}

enum class Runtime { Unset, Own, OtherUser };
enum class Planted { Nothing, OwnPrivate, OwnOpenToOthers, OtherUser, Link };

struct FolderCase {
    const char* what;
    bool tmpdirSet;
    Runtime runtime;
    Planted planted;
    const char* expected;  // as the child sees it; "" is refused
};

uid_t nobody() {
    const passwd* entry = ::getpwnam("nobody");
    return entry ? entry->pw_uid : 65534;
}

TEST(TemporaryFolder, ChoiceAndRefusals) {
    const std::string privateName = "vorlan-" + std::to_string(::geteuid());
    const std::string privateDir = "/tmp/" + privateName + "/";
    const FolderCase cases[] = {
        {"TMPDIR wins", true, Runtime::Own, Planted::OtherUser, "/tmp/chosen/"},
        {"the user's runtime folder", false, Runtime::Own, Planted::Nothing, "/tmp/run/"},
        {"another user's runtime folder", false, Runtime::OtherUser, Planted::Nothing,
         privateDir.c_str()},
        {"neither: a private folder", false, Runtime::Unset, Planted::Nothing, privateDir.c_str()},
        {"own private folder reused", false, Runtime::Unset, Planted::OwnPrivate,
         privateDir.c_str()},
        {"open to others", false, Runtime::Unset, Planted::OwnOpenToOthers, ""},
        {"another user's folder", false, Runtime::Unset, Planted::OtherUser, ""},
        {"a link to a folder", false, Runtime::Own, Planted::Link, "/tmp/run/"},
        {"a link, no runtime folder", false, Runtime::Unset, Planted::Link, ""},
    };
    if (::geteuid() != 0) GTEST_SKIP() << "planting other users' folders needs root";
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder scratch;
        fs::path tmp = scratch.file("tmp");
        fs::create_directories(tmp / "chosen");
        fs::create_directories(tmp / "run");
        fs::create_directories(tmp / "bait");
        if (c.runtime == Runtime::OtherUser) {
            ASSERT_EQ(::chown((tmp / "run").c_str(), nobody(), 0), 0);
        }
        fs::path planted = tmp / privateName;
        switch (c.planted) {
            case Planted::Nothing:
                break;
            case Planted::OwnPrivate:
                ASSERT_EQ(::mkdir(planted.c_str(), 0700), 0);
                break;
            case Planted::OwnOpenToOthers:
                ASSERT_EQ(::mkdir(planted.c_str(), 0700), 0);
                ASSERT_EQ(::chmod(planted.c_str(), 0755), 0);
                break;
            case Planted::OtherUser:
                ASSERT_EQ(::mkdir(planted.c_str(), 0700), 0);
                ASSERT_EQ(::chown(planted.c_str(), nobody(), 0), 0);
                break;
            case Planted::Link:
                fs::create_directory_symlink(tmp / "bait", planted);
                break;
        }
        test::ArchiveBytes archive;
        archive.addEntry("bush.png", "a bush");
        test::writeWholeFile(tmp / "media.viz", archive.finish());

        std::vector<std::string> argv = {"/usr/bin/env", "-u", "TMPDIR", "-u", "XDG_RUNTIME_DIR"};
        if (c.tmpdirSet) argv.push_back("TMPDIR=/tmp/chosen");
        if (c.runtime != Runtime::Unset) argv.push_back("XDG_RUNTIME_DIR=/tmp/run");
        argv.push_back(self);
        test::ProcessResult run = test::runProcess(
            argv, scratch.path(),
            {"VORLAN_TEST_CHILD=TemporaryFolderProbe", "PROBE_TMP=" + tmp.string()});
        if (run.exitCode == 3) GTEST_SKIP() << "no private mount namespace here";
        ASSERT_EQ(run.exitCode, 0) << run.err;

        std::string expected = c.expected;
        if (expected.empty()) {
            EXPECT_EQ(run.out, "\n0 \n");
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_TRUE(fs::is_empty(tmp / "bait"));
            if (c.planted != Planted::Link) {
                EXPECT_TRUE(fs::is_empty(planted));
            }
            continue;
        }
        std::string media = expected + "vizA";
        media += static_cast<char>('A' + archive.entries()[0].dataSize % 26);
        EXPECT_EQ(run.out, expected + "\n1 " + media + "bush.png\n");
        EXPECT_EQ(run.err, "");
        fs::path seen = tmp / expected.substr(5);
        EXPECT_EQ(readWholeFile(seen / "ErrorLog.txt"), "probe line\r\n");
        EXPECT_EQ(fs::status(seen / "ErrorLog.txt").permissions(), fs::perms(0600));
        if (expected == privateDir) {
            EXPECT_EQ(fs::status(seen).permissions(), fs::perms(0700));
        }
        EXPECT_TRUE(fs::is_empty(tmp / "bait"));
    }
}

TEST(TemporaryFolder, PlantedLinkNamedLikeTheLogIsNotFollowed) {
    test::TempFolder temp;
    fs::path victim = temp.file("victim.txt");
    test::writeWholeFile(victim, "untouched");
    fs::create_symlink(victim, temp.file("ErrorLog.txt"));
    appendErrorLog("must not land in the victim");
    EXPECT_EQ(readWholeFile(victim), "untouched");
    EXPECT_TRUE(fs::is_symlink(temp.file("ErrorLog.txt")));
}

}  // namespace
}  // namespace vorlan
