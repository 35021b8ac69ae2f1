// Whether the desktop asks not to be disturbed right now (a do-not-disturb switch, a
// full-screen program, a presentation). Each system answers in its own adapter; the
// chime asks only at the moment it is due, and only while the user wants it to.
#pragma once

namespace lumivox {

class DoNotDisturb {
public:
    virtual ~DoNotDisturb() = default;
    // Anything the desktop cannot answer counts as "may disturb": false.
    virtual bool Now() = 0;
};

} // namespace lumivox
