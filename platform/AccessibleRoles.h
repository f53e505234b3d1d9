#pragma once

// The roles a screen reader is told for our own kinds of widget. A plain frame would otherwise
// be told as a frame, which readers take for a window of its own: they then speak nothing of
// what happens inside a panel, waiting for that "window" to become active.
namespace AccessibleRoles {

// Once, after the application object exists: every frame inside a window becomes a grouping,
// every plain widget or frame that is a window of its own a window, and the announcer a
// notification.
void install();

} // namespace AccessibleRoles
