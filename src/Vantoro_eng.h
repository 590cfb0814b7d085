// The program's entry: builds the main window, runs the message loop, and ends.
#pragma once

/// Runs Vantoro: builds MainForm, dispatches events until the window is closed, destroys the
/// window (which releases the dialogs and MainForm) and returns the exit code 0.
int RunVantoro();
