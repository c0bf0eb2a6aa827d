#pragma once
// Puts the shell's own dialogs (system settings, task information, backup, restore and clearing
// timetables) into the table of feature windows.
void RegisterShellDialogs();
