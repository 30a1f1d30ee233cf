// Where the log and extracted media go: the choice of the temporary folder,
// and what is refused in a /tmp that every user shares.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/errors.h"
#include "files/media_archive.h"
#include "files/test_archives.h"
#include "platform/temp_dir.h"
#include "support/child_entry.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

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
    if (::geteuid() != 0) GTEST_SKIP() << "planting other users' folders needs root";
    const std::string privateName = "vorlan-" + std::to_string(::geteuid());
    const std::string privateDir = "/tmp/" + privateName + "/";
    // At /tmp/vorlan-UID: nothing, a folder 0700 or 0755 of ours or of
    // another user's, or a link.
    enum Planted { kNothing, kPrivate, kOpen, kOthers, kLink };
    // Environment (/tmp/run is ours, /tmp/theirs nobody's), planted, folder ("": refused).
    const struct {
        const char* what;
        std::string env;
        Planted planted;
        std::string expected;
    } cases[] = {
        {"TMPDIR wins", "TMPDIR=/tmp/chosen XDG_RUNTIME_DIR=/tmp/run", kOthers, "/tmp/chosen/"},
        {"the user's runtime folder", "XDG_RUNTIME_DIR=/tmp/run", kNothing, "/tmp/run/"},
        {"another user's runtime folder", "XDG_RUNTIME_DIR=/tmp/theirs", kNothing, privateDir},
        {"neither: a private folder", "", kNothing, privateDir},
        {"own private folder reused", "", kPrivate, privateDir},
        {"open to others", "", kOpen, ""},
        {"another user's folder", "", kOthers, ""},
        {"a link to a folder", "", kLink, ""},
    };
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t other = nobody ? nobody->pw_uid : 65534;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder scratch;
        fs::path tmp = scratch.file("tmp"), planted = tmp / privateName;
        for (const char* dir : {"chosen", "run", "theirs", "bait"})
            fs::create_directories(tmp / dir);
        ASSERT_EQ(::chown((tmp / "theirs").c_str(), other, 0), 0);
        if (c.planted == kLink) fs::create_directory_symlink(tmp / "bait", planted);
        if (c.planted == kPrivate || c.planted == kOpen || c.planted == kOthers) {
            ASSERT_EQ(::mkdir(planted.c_str(), 0700), 0);
            ASSERT_EQ(::chmod(planted.c_str(), c.planted == kOpen ? 0755 : 0700), 0);
            ASSERT_EQ(::chown(planted.c_str(), c.planted == kOthers ? other : 0, 0), 0);
        }
        ArchiveBytes archive;
        archive.addEntry("bush.png", "a bush");
        writeWholeFile(tmp / "media.viz", archive.finish());

        ProcessResult run =
            runToEnd({"/bin/sh", "-c",
                      "unset TMPDIR XDG_RUNTIME_DIR; " + c.env + " exec " +
                          fs::read_symlink("/proc/self/exe").string()},
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
        std::string media = c.expected + "vizA" + char('A' + archive.entries[0].dataSize % 26);
        EXPECT_EQ(run.out, c.expected + "\n1 " + media + "bush.png\n");
        fs::path seen = tmp / c.expected.substr(5);
        EXPECT_EQ(readWholeFile(seen / "ErrorLog.txt"), "probe line\r\n");
        EXPECT_EQ(fs::status(seen / "ErrorLog.txt").permissions(), fs::perms(0600));
        EXPECT_TRUE(c.expected != privateDir || fs::status(seen).permissions() == fs::perms(0700));
    }
}

}  // namespace
}  // namespace vorlan::test
