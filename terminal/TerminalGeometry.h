#pragma once

#include <QSize>

// The heights of the bars around the terminal in the main window.
struct WindowBars {
    int toolBar = 0;
    int macroBar = 0;
    bool macroBarVisible = false;
    int commandLine = 0;
    bool commandLineVisible = false;
    int statusBar = 0;
    bool statusBarVisible = true;
};

// The main window's size for a grid of `columns` x `rows` cells: the grid plus
// 10 pixels across, the visible bars plus 35 down.
QSize terminalWindowSize(QSize cell, int columns, int rows, const WindowBars &bars);

// The largest the window may get: the frame (window size less client size),
// the grid plus 5 pixels across, the bars plus 10 down. The status bar
// counts even when hidden.
QSize terminalMaximumSize(QSize frame, QSize cell, int columns, int rows, const WindowBars &bars);
