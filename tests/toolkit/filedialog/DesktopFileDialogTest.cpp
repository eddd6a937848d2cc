#include "toolkit/platform/DesktopFileDialog.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/toolkit/filedialog/FakeDialogPrograms.h"

namespace {

using Strings = std::vector<std::string>;
using Kind = FileDialogRequest::Kind;

FileDialogRequest presetRequest(Kind kind) {
    FileDialogRequest request;
    request.kind = kind;
    request.title = kind == Kind::save ? "Save preset" : "Load preset";
    request.initialDirectory = "/home/user/Presets";
    request.proposedName = "Warm Strings.arp";
    request.filters = {{"Arlo Preset", "arp"}};
    request.saveExtension = kind == Kind::save ? "arp" : "";
    request.parentWindow = 0x3a00007;
    return request;
}

class DesktopFileDialogTest : public ::testing::Test {
protected:
    // Runs the fake program `name` (installed beforehand) alone.
    Strings run(const std::string& name, const FileDialogRequest& request) {
        return DesktopFileDialog({fakes.path(name)}).run(request);
    }
    static void pollUntilClosed(DesktopFileDialog& dialog) {
        while (dialog.isRunning()) usleep(1000);
    }

    FakeDialogPrograms fakes;
};

// Alive and not just waiting for its parent to reap it.
bool isAlive(pid_t pid) {
    const std::string stat = FakeDialogPrograms::contentsOf("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// A killed process leaves a moment later; one that is still there after
// ten seconds was not killed.
bool ends(pid_t pid) {
    for (int n = 0; n < 10000 && isAlive(pid); ++n) usleep(1000);
    return !isAlive(pid);
}

// A host that ignores SIGCHLD: its children are reaped by the system, so
// waitpid can tell nothing about them.
class IgnoredChildSignals {
public:
    IgnoredChildSignals() { old_ = std::signal(SIGCHLD, SIG_IGN); }
    ~IgnoredChildSignals() { std::signal(SIGCHLD, old_); }

private:
    void (*old_)(int);
};

TEST_F(DesktopFileDialogTest, ZenityOpenAndSaveArguments) {
    fakes.install("zenity", "/home/user/Presets/Warm Strings.arp\n");
    EXPECT_EQ(run("zenity", presetRequest(Kind::open)), Strings{"/home/user/Presets/Warm Strings.arp"});
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Load preset", "--filename=/home/user/Presets/",
                       "--file-filter=Arlo Preset (*.arp) | *.arp", "--file-filter=All files | *",
                       "--attach=60817415"}));

    run("zenity", presetRequest(Kind::save));
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Save preset", "--save", "--confirm-overwrite",
                       "--filename=/home/user/Presets/Warm Strings.arp", "--file-filter=Arlo Preset (*.arp) | *.arp",
                       "--file-filter=All files | *", "--attach=60817415"}));
}

TEST_F(DesktopFileDialogTest, ZenityWithoutFolderNameOrWindow) {
    fakes.install("zenity", "/tmp/a.arp\n");
    FileDialogRequest request = presetRequest(Kind::save);
    request.initialDirectory.clear();
    request.proposedName.clear();
    request.parentWindow = 0;
    run("zenity", request);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Save preset", "--save", "--confirm-overwrite",
                       "--file-filter=Arlo Preset (*.arp) | *.arp", "--file-filter=All files | *"}));

    request.proposedName = "Bank.arb";
    run("zenity", request);
    EXPECT_EQ(fakes.argumentsOf("zenity").at(4), "--filename=Bank.arb");
}

TEST_F(DesktopFileDialogTest, KdialogOpenAndSaveArguments) {
    fakes.install("kdialog", "/home/user/Presets/Warm Strings.arp\n");
    EXPECT_EQ(run("kdialog", presetRequest(Kind::open)), Strings{"/home/user/Presets/Warm Strings.arp"});
    EXPECT_EQ(fakes.argumentsOf("kdialog"),
              (Strings{"--getopenfilename", "/home/user/Presets/", "*.arp|Arlo Preset (*.arp)\n*|All files", "--title",
                       "Load preset", "--attach", "60817415"}));

    run("kdialog", presetRequest(Kind::save));
    EXPECT_EQ(fakes.argumentsOf("kdialog"),
              (Strings{"--getsavefilename", "/home/user/Presets/Warm Strings.arp",
                       "*.arp|Arlo Preset (*.arp)\n*|All files", "--title", "Save preset", "--attach", "60817415"}));
}

TEST_F(DesktopFileDialogTest, MultipleSelectionOnlyWhenAskedFor) {
    FileDialogRequest request = presetRequest(Kind::open);
    request.multiple = true;
    fakes.install("zenity", "/p/one.arp\n/p/two words.arp\n");
    EXPECT_EQ(run("zenity", request), (Strings{"/p/one.arp", "/p/two words.arp"}));
    const Strings zenityArgs = fakes.argumentsOf("zenity");
    EXPECT_EQ(Strings(zenityArgs.end() - 3, zenityArgs.end() - 1), (Strings{"--multiple", "--separator=\n"}));

    fakes.install("kdialog", "/p/one.arp\n/p/two.arp\n");
    EXPECT_EQ(run("kdialog", request), (Strings{"/p/one.arp", "/p/two.arp"}));
    const Strings kdialogArgs = fakes.argumentsOf("kdialog");
    EXPECT_EQ(Strings(kdialogArgs.end() - 4, kdialogArgs.end() - 2), (Strings{"--multiple", "--separate-output"}));

    // A single path that happens to end the answer without a newline.
    request.multiple = false;
    fakes.install("zenity", "/p/one.arp");
    EXPECT_EQ(run("zenity", request), Strings{"/p/one.arp"});
}

TEST_F(DesktopFileDialogTest, DirectoryChoiceHasNoFilters) {
    fakes.install("zenity", "/home/user/Presets\n");
    FileDialogRequest request = presetRequest(Kind::directory);
    request.parentWindow = 0;
    EXPECT_EQ(run("zenity", request), Strings{"/home/user/Presets"});
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--file-selection", "--title=Load preset", "--directory", "--filename=/home/user/Presets/"}));
}

TEST_F(DesktopFileDialogTest, UnusualCharactersPassUntouched) {
    const std::string folder = "/tmp/it's a \"$HOME\" `id` \\ $(touch x) ; * dir";
    const std::string answer = folder + "/my \"best\" $preset's.arp";
    FileDialogRequest request = presetRequest(Kind::save);
    request.title = "Save \"it\" $now";
    request.initialDirectory = folder;
    request.proposedName = "a b'c.arp";
    fakes.install("zenity", answer + "\n");
    EXPECT_EQ(run("zenity", request), Strings{answer});
    const Strings args = fakes.argumentsOf("zenity");
    ASSERT_EQ(args.size(), 8u);
    EXPECT_EQ(args[1], "--title=Save \"it\" $now");
    EXPECT_EQ(args[4], "--filename=" + folder + "/a b'c.arp");

    fakes.install("kdialog", answer + "\n");
    EXPECT_EQ(run("kdialog", request), Strings{answer});
    EXPECT_EQ(fakes.argumentsOf("kdialog").at(1), folder + "/a b'c.arp");
}

TEST_F(DesktopFileDialogTest, NothingChosenUnlessExitZeroWithAnAnswer) {
    fakes.install("zenity", "/p/ignored.arp\n", 1);
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty()) << "cancelled";
    fakes.install("zenity", "/p/ignored.arp\n", 255);
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty()) << "failed";
    fakes.install("zenity", "/p/ignored.arp\n", 0, "kill -9 $$");
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty()) << "crashed";
    fakes.install("zenity", "\n");
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty()) << "empty answer";
    fakes.install("zenity", "");
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty()) << "no answer";
}

TEST_F(DesktopFileDialogTest, FallsBackOnlyWhenAProgramIsMissing) {
    const FileDialogRequest request = presetRequest(Kind::open);
    fakes.install("kdialog", "/p/from-kdialog.arp\n");
    EXPECT_EQ(DesktopFileDialog({fakes.path("zenity"), fakes.path("kdialog")}).run(request),
              Strings{"/p/from-kdialog.arp"});

    // Not executable counts as missing.
    fakes.install("zenity", "/p/from-zenity.arp\n");
    chmod(fakes.path("zenity").c_str(), 0644);
    EXPECT_EQ(DesktopFileDialog({fakes.path("zenity"), fakes.path("kdialog")}).run(request),
              Strings{"/p/from-kdialog.arp"});

    // A cancelled zenity is the user's answer: no second dialog.
    fakes.install("zenity", "", 1);
    std::remove((fakes.path("kdialog") + ".args").c_str());
    EXPECT_TRUE(DesktopFileDialog({fakes.path("zenity"), fakes.path("kdialog")}).run(request).empty());
    EXPECT_FALSE(fakes.ran("kdialog"));

    EXPECT_TRUE(DesktopFileDialog({fakes.path("none1"), fakes.path("none2")}).run(request).empty());
    EXPECT_TRUE(DesktopFileDialog(Strings{}).run(request).empty());
}

TEST_F(DesktopFileDialogTest, SaveGivesTheExtensionToANameNotEndingInIt) {
    FileDialogRequest request = presetRequest(Kind::save);
    const auto savedAs = [&](const std::string& answer) {
        fakes.install("zenity", answer + "\n");
        const Strings paths = run("zenity", request);
        return paths.size() == 1 ? paths[0] : "<" + std::to_string(paths.size()) + " paths>";
    };
    EXPECT_EQ(savedAs("/p/Warm"), "/p/Warm.arp");
    EXPECT_EQ(savedAs("/p.d/Warm"), "/p.d/Warm.arp");
    EXPECT_EQ(savedAs("/p/.Warm"), "/p/.Warm.arp");
    EXPECT_EQ(savedAs("/p/Warm.arp"), "/p/Warm.arp");
    EXPECT_EQ(savedAs("/p/Warm.ARP"), "/p/Warm.ARP");
    EXPECT_EQ(savedAs("/p/Pad v1.2"), "/p/Pad v1.2.arp");
    EXPECT_EQ(savedAs("/p/Warm.txt"), "/p/Warm.txt.arp");

    request.kind = Kind::open;
    EXPECT_EQ(savedAs("/p/Warm"), "/p/Warm");
}

TEST_F(DesktopFileDialogTest, ChildIsReapedAndGetsOnlyThePipe) {
    const int stray = open("/dev/null", O_RDONLY);  // as a host might, without O_CLOEXEC
    ASSERT_GE(stray, 0);
    fakes.install("zenity", "/p/a.arp\n", 0,
                  "open=''; for fd in 3 4 5 6 7 8 9; do [ -e /proc/$$/fd/$fd ] && open=\"$open $fd\"; done\n"
                  "echo \"$open\" > '" + fakes.path("fds") + "'\n"
                  "readlink /proc/$$/fd/2 > '" + fakes.path("stderr") + "'");
    EXPECT_EQ(run("zenity", presetRequest(Kind::open)), Strings{"/p/a.arp"});
    close(stray);

    EXPECT_EQ(FakeDialogPrograms::contentsOf(fakes.path("fds")), "\n") << "descriptors beyond 0, 1 and 2";
    EXPECT_EQ(FakeDialogPrograms::contentsOf(fakes.path("stderr")), "/dev/null\n") << "its warnings stay out of the host's log";
    const pid_t child = fakes.pidOf("zenity");
    ASSERT_GT(child, 0);
    errno = 0;
    EXPECT_EQ(waitpid(child, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the dialog's process was not reaped";
}

TEST_F(DesktopFileDialogTest, DialogRunsBesideTheCallerAndTakesOneRequestAtATime) {
    fakes.install("zenity", "/p/Later.arp\n", 0, fakes.untilReleased());
    DesktopFileDialog dialog({fakes.path("zenity")});
    ASSERT_TRUE(dialog.start(presetRequest(Kind::open)));
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_FALSE(dialog.start(presetRequest(Kind::save))) << "a second dialog while one is open";
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_TRUE(dialog.chosen().empty());
    fakes.release();
    pollUntilClosed(dialog);
    EXPECT_EQ(dialog.chosen(), Strings{"/p/Later.arp"});
    EXPECT_EQ(fakes.argumentsOf("zenity").at(1), "--title=Load preset");

    // Closed, it takes the next request.
    fakes.install("zenity", "/p/Next.arp\n");
    ASSERT_TRUE(dialog.start(presetRequest(Kind::open)));
    dialog.wait();
    EXPECT_EQ(dialog.chosen(), Strings{"/p/Next.arp"});
}

TEST_F(DesktopFileDialogTest, CancelEndsAndReapsTheDialog) {
    fakes.install("zenity", "/p/Never.arp\n", 0, fakes.untilReleased());
    {
        DesktopFileDialog dialog({fakes.path("zenity")});
        ASSERT_TRUE(dialog.start(presetRequest(Kind::open)));
        while (fakes.pidOf("zenity") == 0) usleep(1000);
        const pid_t program = fakes.pidOf("zenity");
        EXPECT_TRUE(isAlive(program));
        dialog.cancel();
        EXPECT_FALSE(dialog.isRunning());
        EXPECT_TRUE(dialog.chosen().empty());
        EXPECT_TRUE(ends(program)) << "the dialog stayed open";

        // Destroying a dialog that is open ends it too.
        std::remove((fakes.path("zenity") + ".pid").c_str());
        ASSERT_TRUE(dialog.start(presetRequest(Kind::open)));
        while (fakes.pidOf("zenity") == 0) usleep(1000);
    }
    EXPECT_TRUE(ends(fakes.pidOf("zenity")));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child was left to reap";
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(DesktopFileDialogTest, AHostIgnoringChildSignalsStillGetsTheChoice) {
    IgnoredChildSignals host;
    fakes.install("zenity", "/p/Chosen.arp\n");
    EXPECT_EQ(run("zenity", presetRequest(Kind::open)), Strings{"/p/Chosen.arp"});
    fakes.install("zenity", "/p/Cancelled.arp\n", 1);
    EXPECT_TRUE(run("zenity", presetRequest(Kind::open)).empty());

    // The answer to the question whether to replace is an exit code only.
    const std::string folder = fakes.dir();
    std::ofstream(folder + "/Warm.arp") << "old";
    FileDialogRequest request = presetRequest(Kind::save);
    fakes.install("zenity", folder + "/Warm\n");
    EXPECT_EQ(run("zenity", request), Strings{folder + "/Warm.arp"});
    fakes.install("zenity", folder + "/Warm\n", 0, "[ \"$1\" = --question ] && exit 1");
    EXPECT_TRUE(run("zenity", request).empty());
}

TEST_F(DesktopFileDialogTest, ReplacingIsAskedAboutTheNameWritten) {
    const std::string folder = fakes.dir();
    std::ofstream(folder + "/Warm.arp") << "old";
    FileDialogRequest request = presetRequest(Kind::save);
    const Strings question = {"--question", "--title=Save preset",
                              "--text=A file named \"Warm.arp\" already exists. Do you want to replace it?",
                              "--no-markup", "--attach=60817415"};

    // "Warm" becomes "Warm.arp", which the dialog did not ask about.
    fakes.install("zenity", folder + "/Warm\n");
    EXPECT_EQ(run("zenity", request), Strings{folder + "/Warm.arp"});
    EXPECT_EQ(fakes.argumentsOf("zenity"), question);
    fakes.install("zenity", folder + "/Warm\n", 0, "[ \"$1\" = --question ] && exit 1");
    EXPECT_TRUE(run("zenity", request).empty()) << "the user said no";

    // Typed whole, or new: the dialog's own question is all there is.
    for (const std::string& typed : {folder + "/Warm.arp", folder + "/Cold"}) {
        fakes.install("zenity", typed + "\n");
        run("zenity", request);
        EXPECT_EQ(fakes.argumentsOf("zenity").at(0), "--file-selection") << typed;
    }

    fakes.install("kdialog", folder + "/Warm\n");
    EXPECT_EQ(run("kdialog", request), Strings{folder + "/Warm.arp"});
    EXPECT_EQ(fakes.argumentsOf("kdialog"),
              (Strings{"--warningyesno", "A file named \"Warm.arp\" already exists. Do you want to replace it?",
                       "--title", "Save preset", "--attach", "60817415"}));
}

TEST_F(DesktopFileDialogTest, NoticeReturnsAtOnceAndLeavesNothingToReap) {
    fakes.install("zenity", "", 0, fakes.untilReleased());
    const std::string text = "The preset could not be saved as\n/p/<b>&.arp";
    ASSERT_TRUE(DesktopFileDialog({fakes.path("zenity")}).showNotice("Save preset", text, 42));
    while (!fakes.ran("zenity")) usleep(1000);
    EXPECT_EQ(fakes.argumentsOf("zenity"),
              (Strings{"--error", "--title=Save preset", "--text=" + text, "--no-markup", "--attach=42"}));
    const pid_t notice = fakes.pidOf("zenity");
    EXPECT_NE(getppid(), 0);
    EXPECT_EQ(waitpid(notice, nullptr, WNOHANG), -1) << "the notice is not our child";
    fakes.release();

    fakes.install("kdialog", "");
    ASSERT_TRUE(DesktopFileDialog({fakes.path("kdialog")}).showNotice("Save bank", "Disk full"));
    while (!fakes.ran("kdialog")) usleep(1000);
    EXPECT_EQ(fakes.argumentsOf("kdialog"), (Strings{"--error", "Disk full", "--title", "Save bank"}));
    EXPECT_FALSE(DesktopFileDialog({fakes.path("none")}).showNotice("Save bank", "Disk full"));
}

}  // namespace
