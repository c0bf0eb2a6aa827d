#pragma once
// Fills the feature table with the windows this program has.
void RegisterProgramFeatures();
