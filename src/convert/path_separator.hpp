#pragma once

namespace zum {

// The separator between a folder and a file name on this system.
constexpr char PathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

} // namespace zum
