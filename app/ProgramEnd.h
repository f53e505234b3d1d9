#pragma once

class Form1;

namespace ProgramEnd {

// "終了" ends the program at once. The event loop is left without asking any window, so a
// window that refuses to close (the results window does while it is busy) cannot keep the
// program alive.
void connect(Form1 &form);

} // namespace ProgramEnd
