#pragma once
// The window program's own deadline. The window ends itself after five seconds through the event
// loop; when the GUI toolkit hangs instead (a reply from the window system that never comes, a
// helper thread the system would not start, a session bus nobody answers), nothing in that loop
// runs any more. An alarm signal does: the process then wipes the password it was showing and
// ends, at most a few seconds late. Plain C++.

#include <cstddef>

namespace zimbrel {

// Ends the process `seconds` after now, unless it has ended by then, with one line on standard
// error and status 1. Only this process: the keepers it started are not affected.
void armDeadline(unsigned seconds);

// The buffer the deadline wipes before it ends the process; set while the buffer holds the
// password, released before the buffer is wiped or freed by its owner.
void guardSecret(const void *bytes, std::size_t size);
void releaseSecret();

// What keeps this process from running the GUI toolkit at all, in a few words; nullptr when
// nothing does. The toolkit cannot do without threads of its own (its window system's event
// reader, and the session bus's thread, for which its accessibility bridge waits for ever), nor
// without a few dozen descriptors (it aborts when one is refused). A low soft limit on
// descriptors is raised first, as far as the hard one allows.
const char *whyNoToolkit();

} // namespace zimbrel
