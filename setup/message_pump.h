// Keeps the status window painting and movable while the single installer thread works.
#pragma once

// Removes and dispatches every pending window message of the thread, then returns.
void SetupPumpMessages();
