// The one kind of failure the host reports: a single line for stderr, after
// which the command stops with a non-zero exit status.
#pragma once

#include <stdexcept>
#include <string>

struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A mistake in the command line itself; main() adds a hint to --help.
struct UsageError : HostError {
    using HostError::HostError;
};

// An input damaged or cut short, found while reading it: whatever was made
// from it so far is not to be trusted.
struct InputError : HostError {
    using HostError::HostError;
};
