#pragma once

// Start-up: loads the verse library from the verse database and opens the practice window.
// Throws RuntimeError when the database cannot be read; no window is shown then.
void Main();

// Runs Main and reports a failure (no window shown). False when start-up failed.
bool start();
