// Some formats cannot be read from a pipe: libsndfile seeks in FLAC and CAF
// (to the stream info, to the data chunk). Such a stream is first copied
// whole into an unnamed temporary file, which is then read as any file is;
// memory stays bounded, the disk holds the stream for as long as it is read.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Whether a stream starting with these bytes must be spooled.
bool needsSpooling(const std::vector<unsigned char>& head);

// Copies everything from `input` to its end into a new temporary file (in
// $TMPDIR, else /tmp) that has no name and goes when closed; returns it open
// for reading at its start, a CAF completed (below). Throws HostError naming `name` when the stream breaks
// off (`readError`, an errno, tells once the copy has ended) or the file
// cannot be made or written, InputError when the CAF cannot be read.
int spoolToTemporaryFile(int input, const std::string& name, const std::function<int()>& readError);

// For a CAF in `fd` (anything else is left alone): throws InputError naming
// `name` when it is what sox writes into a pipe (its header twice, the
// first with no sound), and with `fillIn` gives a data chunk of open length
// ("up to the end") the size it has, throwing HostError when that fails.
void completeCafFromPipe(int fd, const std::string& name, bool fillIn);
