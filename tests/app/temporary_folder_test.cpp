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

#include "core/errors.h"
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

TEST(TemporaryFolder, ChoiceAndRefusals) {
    const std::string privateName = "vorlan-" + std::to_string(::geteuid());
    const std::string privateDir = "/tmp/" + privateName + "/";
    enum Planted { kNothing, kPrivate, kOpen, kOthers, kLink };
    struct Case {
        const char* what;
        const char* tmpdir;    // as the child sees them; nullptr: unset
        const char* runtime;   // /tmp/run is ours, /tmp/theirs belongs to nobody
        Planted planted;       // at /tmp/vorlan-UID
        std::string expected;  // "": refused
    };
    const Case cases[] = {
        {"TMPDIR wins", "/tmp/chosen", "/tmp/run", kOthers, "/tmp/chosen/"},
        {"the user's runtime folder", nullptr, "/tmp/run", kNothing, "/tmp/run/"},
        {"another user's runtime folder", nullptr, "/tmp/theirs", kNothing, privateDir},
        {"neither: a private folder", nullptr, nullptr, kNothing, privateDir},
        {"own private folder reused", nullptr, nullptr, kPrivate, privateDir},
        {"open to others", nullptr, nullptr, kOpen, ""},
        {"another user's folder", nullptr, nullptr, kOthers, ""},
        {"a link to a folder", nullptr, nullptr, kLink, ""},
    };
    if (::geteuid() != 0) GTEST_SKIP() << "planting other users' folders needs root";
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t other = nobody ? nobody->pw_uid : 65534;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder scratch;
        fs::path tmp = scratch.file("tmp");
        for (const char* dir : {"chosen", "run", "theirs", "bait"})
            fs::create_directories(tmp / dir);
        ASSERT_EQ(::chown((tmp / "theirs").c_str(), other, 0), 0);
        fs::path planted = tmp / privateName;
        if (c.planted == kLink) fs::create_directory_symlink(tmp / "bait", planted);
        if (c.planted == kPrivate || c.planted == kOpen || c.planted == kOthers) {
            ASSERT_EQ(::mkdir(planted.c_str(), 0700), 0);
            ASSERT_EQ(::chmod(planted.c_str(), c.planted == kOpen ? 0755 : 0700), 0);
            ASSERT_EQ(::chown(planted.c_str(), c.planted == kOthers ? other : 0, 0), 0);
        }
        test::ArchiveBytes archive;
        archive.addEntry("bush.png", "a bush");
        test::writeWholeFile(tmp / "media.viz", archive.finish());

        std::vector<std::string> argv = {"/usr/bin/env", "-u", "TMPDIR", "-u", "XDG_RUNTIME_DIR"};
        if (c.tmpdir) argv.push_back(std::string("TMPDIR=") + c.tmpdir);
        if (c.runtime) argv.push_back(std::string("XDG_RUNTIME_DIR=") + c.runtime);
        argv.push_back(fs::read_symlink("/proc/self/exe").string());
        test::ProcessResult run = test::runProcess(
            argv, scratch.path(),
            {"VORLAN_TEST_CHILD=TemporaryFolderProbe", "PROBE_TMP=" + tmp.string()});
        if (run.exitCode == 3) GTEST_SKIP() << "no private mount namespace here";
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(fs::is_empty(tmp / "bait"));
        if (c.expected.empty()) {
            // No log, no extraction, one line on standard error.
            EXPECT_EQ(run.out, "\n0 \n");
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_TRUE(c.planted == kLink || fs::is_empty(planted));
            continue;
        }
        std::string media = c.expected + "vizA";
        media += char('A' + archive.entries()[0].dataSize % 26);
        EXPECT_EQ(run.out, c.expected + "\n1 " + media + "bush.png\n");
        fs::path seen = tmp / c.expected.substr(5);
        EXPECT_EQ(readWholeFile(seen / "ErrorLog.txt"), "probe line\r\n");
        EXPECT_EQ(fs::status(seen / "ErrorLog.txt").permissions(), fs::perms(0600));
        if (c.expected == privateDir) {
            EXPECT_EQ(fs::status(seen).permissions(), fs::perms(0700));
        }
    }
}

}  // namespace
}  // namespace vorlan
