#include "cface/state_commands.h"

#include "cface/status_line.h"
#include "parts/log_format.h"

void StartStateCommand(OrbisaMiniApp* app, StateFunc dataPoint, StateFunc reset, const char* name,
                       const char* prompt) {
    StateCommand& state = Host().state;
    state = StateCommand{};
    state.running = true;
    state.app = app;
    state.dataPoint = dataPoint;
    state.reset = reset;
    state.name.assign(name ? name : "", BoundedLength(name, 255));
    state.prompt.assign(prompt ? prompt : "", BoundedLength(prompt, 1024));
    RefreshStatusPrompt();
}

void StopStateCommand() {
    Host().state = StateCommand{};
    RefreshStatusPrompt();
}

void StopStateCommandOf(OrbisaMiniApp* app) {
    if (Host().state.running && Host().state.app == app) StopStateCommand();
}
