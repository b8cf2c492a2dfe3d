#pragma once

class QWidget;
class SettingsStore;

// A window's position and size, stored as four integers named after the
// window's object name with "t", "l", "w" and "h" appended (Phonet, Phonel ...).
void SaveFormPlacement(SettingsStore &settings, const QWidget &window);
// Applies each stored value; missing ones leave the window as it is. The window
// is then enlarged, if needed, to fit what its layout requires.
void RestoreFormPlacement(SettingsStore &settings, QWidget &window);
