// corvane-host reading audio streamed into it, as sox and ffmpeg write it
// into a pipe: they cannot seek back to fill in the sizes, so they leave
// placeholders in the header, and the stream is rendered to its end. A
// stream whose header announces a real size is still refused when cut short.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "AudioFile.h"
#include "HostTestSupport.h"

namespace {

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0;
}

// corvane-host rendering, with no tail, what the shell command `writer`
// streams into `in` (by default its stdin through a pipe).
RunResult renderStream(const std::string& writer, const std::string& out, const std::string& in = "/dev/stdin",
                       const Environment& env = {}) {
    FILE* stream = popen((writer + " 2>/dev/null").c_str(), "r");
    if (!stream) return {};
    const RunResult r = HostProcess({"render", ARLO_PLUGIN, in, out, "--tail", "0"}, env, "",
                                    PassedDescriptor{fileno(stream), STDIN_FILENO})
                            .wait(60);
    pclose(stream);
    return r;
}

class StreamedInput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!installed("sox") || !installed("ffmpeg")) GTEST_SKIP() << "sox and ffmpeg (their Debian packages) are needed";
    }
    TempDir dir;
    const std::string out = dir.path("out.wav");
};

TEST_F(StreamedInput, WhatSoxAndFfmpegWriteIntoAPipeIsRenderedWhole) {
    const std::string sox = "sox -n -r 44100 ", synth = " - synth 0.5 sine 440";  // 22050 frames
    const std::string ffmpeg = "ffmpeg -f lavfi -i sine=d=0.5:r=44100 -ac 2 -f ";
    // sox rounds its placeholder down to whole frames: 3 and 6 bytes here.
    for (const std::string& writer :
         {sox + "-c 2 -b 16 -t wav" + synth, sox + "-c 1 -b 24 -t wav" + synth, sox + "-c 2 -b 24 -t aiff" + synth,
          sox + "-c 2 -e float -b 32 -t aifc" + synth, sox + "-c 1 -b 16 -t au" + synth, ffmpeg + "wav -",
          ffmpeg + "aiff -", ffmpeg + "au -", ffmpeg + "w64 -"}) {
        const RunResult r = renderStream(writer, out);
        EXPECT_EQ(r.status, 0) << writer << ": " << r.err;
        EXPECT_EQ(readAudioFile(out).frames(), 22050u) << writer;
    }

    // A FIFO, and a header that comes in two parts, cut inside the data's size.
    const std::string fifo = dir.path("fifo"), placeholders = dir.path("sox.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    RunResult r = renderStream(sox + "-c 2 -b 16 -t wav" + synth + " > " + fifo, out, fifo);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAudioFile(out).frames(), 22050u);
    ASSERT_EQ(std::system((sox + "-c 2 -b 16 -t wav" + synth + " 2>/dev/null | cat > " + placeholders).c_str()), 0);
    r = renderStream("head -c 42 " + placeholders + "; sleep 0.2; tail -c +43 " + placeholders, out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAudioFile(out).frames(), 22050u);

    // A regular file keeps its strict check: sox fills the sizes in when it
    // can seek, so its placeholders in a file mean a file cut short. ffmpeg
    // writing to "-" never seeks back, into a file neither.
    r = runHost({"render", ARLO_PLUGIN, placeholders, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-host: input '" + placeholders +
                         "' is cut short: its header announces 536869888 frames, the file holds 22050 "
                         "(536847838 missing)\n");
    const std::string w64 = dir.path("ffmpeg.w64");
    ASSERT_EQ(std::system((ffmpeg + "w64 - 2>/dev/null > " + w64).c_str()), 0);
    r = runHost({"render", ARLO_PLUGIN, w64, out, "--tail", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAudioFile(out).frames(), 22050u);
}

TEST_F(StreamedInput, AStreamCutShortOfTheSizeItsHeaderAnnouncesIsRefused) {
    const std::string in = dir.path("in.wav"), aiff = dir.path("in.aiff");
    writeFloatWav(in, testAudio(2, 0.5));  // 22050 frames of 8 bytes
    ASSERT_EQ(std::system(("sox " + in + " -b 16 " + aiff).c_str()), 0);
    writeFile(out, "old");
    for (const std::string& writer : {"head -c -8000 " + in, "head -c -4000 " + aiff}) {
        const RunResult r = renderStream(writer, out);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "corvane-host: input '/dev/stdin' is cut short: it ends after 21050 of 22050 frames "
                         "(1000 missing); nothing was written\n")
            << writer;
    }
    EXPECT_EQ(readFile(out), "old");
}

// Whole files piped in: FLAC and CAF, which libsndfile cannot read from a
// pipe, go through a temporary file first; a complete W64 keeps the size its
// header states (libsndfile makes one up for a pipe). Cut short, each is
// refused.
TEST_F(StreamedInput, FilesOfEveryFormatPipedInAreRenderedWholeOrRefusedWhenCut) {
    for (const char* type : {"wav", "flac", "caf", "w64", "aiff", "au", "ogg"}) {
        const std::string file = dir.path(std::string("in.") + type);
        ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 " + file + " synth 0.5 sine 440").c_str()), 0);
        RunResult r = renderStream("cat " + file, out);
        EXPECT_EQ(r.status, 0) << type << ": " << r.err;
        EXPECT_EQ(readAudioFile(out).frames(), 22050u) << type;
        if (std::string(type) == "ogg") continue;  // what a cut Ogg holds is not known up front
        r = renderStream("head -c 20000 " + file, out);
        EXPECT_EQ(r.status, 1) << type;
        EXPECT_NE(r.err, "") << type;
    }

    // Nowhere to buffer: said so, nothing written.
    writeFile(out, "old");
    const std::string flac = dir.path("in.flac");
    const RunResult r = renderStream("cat " + flac, out, "/dev/stdin", {{"TMPDIR", dir.path("missing")}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-host: cannot read '/dev/stdin': it must be buffered in a temporary file, and none can "
                     "be made in '" + dir.path("missing") + "' (No such file or directory)\n");
    EXPECT_EQ(readFile(out), "old");
}

// What sox and ffmpeg really write into a pipe: FLAC, ffmpeg's CAF (its data
// size "up to the end") and W64 render whole. sox writes CAF and W64 with its
// header twice, the first time with no sound: refused, never rendered as
// silence or with its header as sound.
TEST_F(StreamedInput, WhatSoxAndFfmpegStreamInFormatsThatSeekRendersWholeOrIsRefused) {
    const std::string ffmpeg = "ffmpeg -f lavfi -i sine=d=0.5:r=44100 -ac 2 -f ";
    const std::string sox = "sox -n -r 44100 -c 2 -t ";
    for (const std::string& writer : {ffmpeg + "flac -", ffmpeg + "caf -", ffmpeg + "w64 -",
                                      sox + "flac - synth 0.5 sine 440"}) {
        const RunResult r = renderStream(writer, out);
        EXPECT_EQ(r.status, 0) << writer << ": " << r.err;
        EXPECT_EQ(readAudioFile(out).frames(), 22050u) << writer;
    }
    writeFile(out, "old");
    RunResult r = renderStream(sox + "caf - synth 0.5 sine 440", out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-host: input '/dev/stdin' is damaged: its header comes twice, the first time with no "
                     "sound in it (sox streams CAF so; stream WAV instead)\n");
    r = renderStream(sox + "w64 - synth 0.5 sine 440", out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-host: input '/dev/stdin' is damaged: a chunk in its header is smaller than its own "
                     "header (sox streams W64 so; stream WAV instead)\n");
    EXPECT_EQ(readFile(out), "old");
}

// A stream that must be read whole first is not read at all when the
// render cannot happen anyway: an endless one would fill the disk.
TEST_F(StreamedInput, AnEndlessFlacStreamIsNotBufferedForAPluginThatCannotLoad) {
    FILE* endless = popen("sox -n -r 44100 -c 2 -t flac - synth sine 440 2>/dev/null", "r");
    ASSERT_TRUE(endless);
    const RunResult r = HostProcess({"render", dir.path("missing.so"), "-", out}, {}, "",
                                    PassedDescriptor{fileno(endless), STDIN_FILENO})
                            .wait(20);
    pclose(endless);  // sox ends as its pipe closes
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.so"), std::string::npos) << r.err;
}

// "-" names standard input and output: sound in through one pipe and out
// through another, the report on stderr.
TEST_F(StreamedInput, DashIsStandardInputAndOutput) {
    FILE* stream = popen("sox -n -r 44100 -c 2 -t wav - synth 0.5 sine 440 2>/dev/null", "r");
    ASSERT_TRUE(stream);
    const RunResult r = HostProcess({"render", ARLO_PLUGIN, "-", "-", "--tail", "0"}, {}, "",
                                    PassedDescriptor{fileno(stream), STDIN_FILENO})
                            .wait(60);
    pclose(stream);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("wrote /dev/stdout: 2 channels, 44100 Hz", 0), 0u) << r.err;
    writeFile(out, r.out);
    EXPECT_EQ(readAudioFile(out).frames(), 22050u);

    // A terminal is no place for a WAV file.
    const std::string in = dir.path("in.wav");
    writeFloatWav(in, testAudio(2, 0.1));
    const std::string command = "script -qec '" + std::string(CORVANE_HOST_EXE) + " render " + ARLO_PLUGIN + " " + in +
                                " -' /dev/null";
    FILE* terminal = popen(command.c_str(), "r");
    ASSERT_TRUE(terminal);
    std::string shown;
    for (int c; (c = std::fgetc(terminal)) != EOF;) shown += static_cast<char>(c);
    EXPECT_NE(pclose(terminal), 0);
    EXPECT_NE(shown.find("is standard output, which is a terminal"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("RIFF"), std::string::npos);
}

// A render refused after the stream was opened ends although the writer
// would go on for ever.
TEST_F(StreamedInput, AnEndlessStreamDoesNotKeepARefusedRenderWaiting) {
    const RunResult r = renderStream("sox -n -r 44100 -c 3 -t wav - synth sine 440", out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "corvane-host: input '/dev/stdin' has 3 channels; only mono or stereo input is supported\n");
}

}  // namespace
