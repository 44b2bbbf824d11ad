// The installation steps in their fixed order, each run only while every earlier one succeeded.
#pragma once

struct Dialog;

// Runs the steps for g_setup with the status window (null: silently). True when all of them succeeded.
bool SetupRunSteps(Dialog* status);
