// The host's commands. Each returns the exit status; failures throw HostError.
#pragma once

#include <iosfwd>

struct Options;

int runInfo(const Options& options, std::ostream& out);
int runRender(const Options& options, std::ostream& out, std::ostream& err);
// options.plugin must be set (main() fills in the default).
int runDemo(const Options& options, std::ostream& out, std::ostream& err);
// Both need a plug-in with an editor; `out` gets --log's lines.
int runEdit(const Options& options, std::ostream& out);
int runScreenshot(const Options& options, std::ostream& out);
