// "Start With Windows": a value named Tessory under the current user's Run
// key, holding the quoted path of this program and --background, so that
// the program starts at login with its tool window in the tray.
#pragma once

namespace tessory {

// Whether the program starts with Windows: the value exists.
bool StartsWithWindows();
// Writes the value for this program, or removes it. A failing write is an
// error ("Failed to set data for 'Tessory'").
void SetStartWithWindows(bool on);
// At start: a value that names another copy's path is made to name this
// one; no value stays none.
void CorrectStartWithWindows();

}  // namespace tessory
