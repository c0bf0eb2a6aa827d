#pragma once
// Puts the windows of the basic data into the program's feature table, so that the tool box of
// page 2 opens them.
void RegisterBasicDataPages();
