// The program's single pass: refresh both Path values, broadcast, report.
#pragma once

// Refreshes the machine's and then the user's Path, broadcasts the environment change and
// shows the outcome. Returns the exit status: 1 when completed, 0 when a write failed.
int RunUpdate();
