// Host-facing operations announce themselves here with their qualified name
// and arguments. The hook does nothing in a release: it is the one place to
// attach logging when a host misbehaves.
#pragma once

template <typename... Args>
inline void trace(const char* /*qualifiedName*/, const Args&... /*arguments*/) {}
